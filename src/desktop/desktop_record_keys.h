// The record's keys and its one-line rule, shared by its reader and its writer (each in an
// object of its own: the uninstaller only reads).
#ifndef VELUMAR_DESKTOP_DESKTOP_RECORD_KEYS_H
#define VELUMAR_DESKTOP_DESKTOP_RECORD_KEYS_H

#include <optional>
#include <string>
#include <string_view>

#include "desktop/desktop_record.h"

namespace velumar::desktop::record_keys {

using StringField = std::optional<std::string> DesktopValues::*;

struct StringKey {
    std::string_view name;
    StringField field;
};

inline constexpr StringKey kStringKeys[] = {
    {"ActiveWallpaper", &DesktopValues::activeWallpaper},
    {"ActiveWallpaperStyle", &DesktopValues::activeWallpaperStyle},
    {"ActiveTileWallpaper", &DesktopValues::activeTileWallpaper},
    {"ClassicWallpaper", &DesktopValues::classicWallpaper},
    {"ClassicWallpaperStyle", &DesktopValues::classicWallpaperStyle},
    {"ClassicTileWallpaper", &DesktopValues::classicTileWallpaper},
    {"Background", &DesktopValues::background},
};
inline constexpr std::string_view kFlagsKey = "ComponentFlags";
inline constexpr std::string_view kInstalledBackgroundKey = "InstalledBackground";
inline constexpr std::string_view kLineEnd = "\r\n";

// Not longer than a record value may be, and without a control character.
inline bool fitsOnOneLine(std::string_view value) noexcept {
    if (value.size() > kLongestRecordValue) return false;
    for (const char c : value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    return true;
}

}  // namespace velumar::desktop::record_keys

#endif
