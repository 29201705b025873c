// The shared utilities' user-visible texts, exactly as the installer shows them.
#ifndef VELUMAR_UTIL_UTIL_TEXTS_H
#define VELUMAR_UTIL_UTIL_TEXTS_H

#include <string_view>

namespace velumar::util_texts {

// Caption pieces: "Install" + ": " + name, or "Install" + " Wallpaper" + ": " + name.
inline constexpr std::string_view kInstall = "Install";
inline constexpr std::string_view kWallpaperSuffix = " Wallpaper";
inline constexpr std::string_view kCaptionSeparator = ": ";

// The word that makes a wallpaper name already say what it is.
inline constexpr std::string_view kWallpaperWord = "wallpaper";

// The two dialogs: titles and the caption of their single button.
inline constexpr std::string_view kErrorTitle = "Error";
inline constexpr std::string_view kInformationTitle = "Information";
inline constexpr std::string_view kAbortButton = "&Abort";

}  // namespace velumar::util_texts

#endif
