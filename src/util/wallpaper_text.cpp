#include "util/wallpaper_text.h"
#include "util/ascii.h"

#include <algorithm>

#include "util/util_texts.h"

namespace velumar {
namespace {

bool mentionsWallpaper(std::string_view name) {
    return containsText(name, util_texts::kWallpaperWord);
}

}  // namespace

bool containsText(std::string_view text, std::string_view part) {
    const auto found = std::search(text.begin(), text.end(), part.begin(), part.end(),
                                   [](char a, char b) { return asciiLower(a) == asciiLower(b); });
    return found != text.end() || part.empty();
}

std::string installCaption(std::string_view wallpaperName) {
    std::string caption(util_texts::kInstall);
    if (!mentionsWallpaper(wallpaperName)) caption += util_texts::kWallpaperSuffix;
    caption += util_texts::kCaptionSeparator;
    caption += wallpaperName;
    return caption;
}

std::string wallpaperDisplayName(std::string_view wallpaperName) {
    std::string name(wallpaperName);
    if (!mentionsWallpaper(wallpaperName)) name += util_texts::kWallpaperSuffix;
    return name;
}

}  // namespace velumar
