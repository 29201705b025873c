// Texts that name a wallpaper, and the ASCII case-insensitive substring test they rest on.
#ifndef VELUMAR_UTIL_WALLPAPER_TEXT_H
#define VELUMAR_UTIL_WALLPAPER_TEXT_H

#include <string>
#include <string_view>

namespace velumar {

// True when part occurs in text, ignoring the case of A to Z only (bytes above 127 are
// compared as they are, so no code page can make two different names equal). An empty
// part is found in any text.
bool containsText(std::string_view text, std::string_view part);

// "Install: Autumn Wallpaper" for a name that already mentions a wallpaper,
// "Install Wallpaper: Autumn" otherwise.
std::string installCaption(std::string_view wallpaperName);

// The name itself when it mentions a wallpaper, otherwise the name + " Wallpaper".
std::string wallpaperDisplayName(std::string_view wallpaperName);

}  // namespace velumar

#endif
