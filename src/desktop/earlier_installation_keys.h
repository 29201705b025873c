// The record's keys and values, shared by its reader and its writer (each in an object of its
// own: the uninstaller only reads).
#ifndef VELUMAR_DESKTOP_EARLIER_INSTALLATION_KEYS_H
#define VELUMAR_DESKTOP_EARLIER_INSTALLATION_KEYS_H

#include <string_view>

namespace velumar::desktop::earlier_keys {

inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kWallpaperKey = "Wallpaper";
inline constexpr std::string_view kNumberKey = "Number";
inline constexpr std::string_view kFolderKey = "Folder";
inline constexpr std::string_view kPageKey = "Page";
inline constexpr std::string_view kStateKey = "State";
inline constexpr std::string_view kYes = "yes";
inline constexpr std::string_view kNo = "no";
inline constexpr std::string_view kAside = "aside";
inline constexpr std::string_view kInstalled = "installed";

}  // namespace velumar::desktop::earlier_keys

#endif
