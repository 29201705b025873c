// The uninstaller's own rules of install_paths.h: the wallpaper its folder names and the
// question it asks. In an object of their own, so that the installer does not carry them
// (MinGW's linker keeps every function of an object that has an unwind table naming it).
#include "desktop/desktop_texts.h"
#include "desktop/install_paths.h"
#include "package/package_header.h"
#include "util/paths.h"
#include "util/wallpaper_text.h"

namespace velumar::desktop {

namespace t = texts;

std::string removeQuestion(std::string_view wallpaperName) {
    return std::string(t::kRemoveQuestion)
        .append(wallpaperDisplayName(wallpaperName))
        .append(t::kRemoveQuestionEnd);
}

std::optional<std::string> wallpaperNameFromFolder(std::string_view folder) {
    const std::string_view trimmed = withoutTrailingBackslash(folder);
    const size_t slash = trimmed.find_last_of("\\:");
    const std::string_view last =
        slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1);
    if (last.size() <= package::kFolderSuffix.size() || !last.ends_with(package::kFolderSuffix)) {
        return std::nullopt;
    }
    return std::string(last.substr(0, last.size() - package::kFolderSuffix.size()));
}

}  // namespace velumar::desktop
