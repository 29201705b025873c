#include "desktop/install_paths.h"
#include "util/ascii.h"

#include "desktop/desktop_texts.h"
#include "package/package_header.h"
#include "util/paths.h"
#include "util/wallpaper_text.h"

namespace velumar::desktop {

namespace t = texts;

std::string wallpaperPagePath(std::string_view windowsFolder, std::string_view name) {
    return package::wallpaperRootFolder(windowsFolder).append(name).append(t::kPageSuffix);
}

std::string uninstallerWorkingFolder(std::string_view windowsFolder, std::string_view name) {
    return package::wallpaperRootFolder(windowsFolder).append(name).append(t::kFolderSuffix);
}

std::string wallpaperFolderPath(std::string_view windowsFolder, std::string_view name) {
    return uninstallerWorkingFolder(windowsFolder, name) + '\\';
}

std::string uninstallerPath(std::string_view windowsFolder, std::string_view name) {
    return wallpaperFolderPath(windowsFolder, name).append(t::kUninstaller);
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
        .append(t::kFolderSuffix)
        .append("\\")
        .append(t::kUninstaller);
}

std::string backgroundColourText(int32_t red, int32_t green, int32_t blue) {
    return std::to_string(red) + ' ' + std::to_string(green) + ' ' + std::to_string(blue);
}

std::string overwriteQuestion(std::string_view name) {
    return std::string(name).append(t::kAlreadyExists);
}

std::string displayPropertiesCommandLine(std::string_view systemFolder) {
    return withTrailingBackslash(systemFolder)
        .append(t::kRundll32)
        .append(" ")
        .append(t::kDisplayPropertiesArguments);
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
