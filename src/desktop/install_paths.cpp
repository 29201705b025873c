#include "desktop/install_paths.h"
#include "util/ascii.h"

#include "desktop/desktop_texts.h"
#include "package/package_header.h"
#include "util/paths.h"
#include "util/wallpaper_text.h"

namespace velumar::desktop {

namespace t = texts;

std::string wallpaperPagePath(std::string_view windowsFolder, std::string_view name) {
    return package::wallpaperRootFolder(windowsFolder).append(name).append(package::kPageSuffix);
}

std::string uninstallerWorkingFolder(std::string_view windowsFolder, std::string_view name) {
    return package::wallpaperRootFolder(windowsFolder).append(name).append(package::kFolderSuffix);
}

std::string wallpaperFolderPath(std::string_view windowsFolder, std::string_view name) {
    return uninstallerWorkingFolder(windowsFolder, name) + '\\';
}

std::string uninstallerPath(std::string_view windowsFolder, std::string_view name) {
    return wallpaperFolderPath(windowsFolder, name).append(package::kUninstallerFileName);
}

std::string uninstallKeyPath(std::string_view name) {
    return std::string(t::kUninstallKeyRoot).append(name);
}

bool namesOneUninstallKey(std::string_view name) noexcept {
    return !name.empty() && name.find('\\') == std::string_view::npos;
}

std::string uninstallString(std::string_view windowsFolder, std::string_view name) {
    return std::string(windowsFolder)
        .append(t::kUninstallWallpaperRoot)
        .append(name)
        .append(package::kFolderSuffix)
        .append("\\")
        .append(package::kUninstallerFileName);
}

std::string uninstallCommand(std::string_view program, bool quoteOnlyWithBlanks) {
    if (quoteOnlyWithBlanks && program.find(' ') == std::string_view::npos)
        return std::string(program);
    return quotedCommandLine(program, {});
}

std::string_view uninstallProgram(std::string_view command) noexcept {
    if (command.empty() || command.front() != '"') return command;
    command.remove_prefix(1);
    return command.substr(0, command.find('"'));
}

EntryOwner entryOwner(bool keyExists, const std::optional<std::string>& command,
                      std::span<const std::string> ownUninstallers) {
    if (!keyExists) return EntryOwner::none;
    if (!command) return EntryOwner::foreign;
    const std::string_view program = uninstallProgram(*command);
    for (const std::string& own : ownUninstallers) {
        if (!own.empty() && samePathText(program, own)) return EntryOwner::ours;
    }
    return EntryOwner::foreign;
}

std::string backgroundColourText(int32_t red, int32_t green, int32_t blue) {
    return std::to_string(red) + ' ' + std::to_string(green) + ' ' + std::to_string(blue);
}

std::string overwriteQuestion(std::string_view name) {
    return std::string(name).append(t::kAlreadyExists);
}

std::string displayPropertiesProgram(std::string_view folder) {
    return withTrailingBackslash(folder).append(t::kRundll32);
}

std::optional<uint32_t> componentFlagsToWrite(uint32_t flags) noexcept {
    constexpr uint32_t kBit = 0x2000;
    if ((flags & kBit) != kBit) return std::nullopt;
    return flags ^ kBit;
}

bool samePathText(std::string_view a, std::string_view b) noexcept {
    return equalsIgnoringAsciiCase(a, b);
}

}  // namespace velumar::desktop
