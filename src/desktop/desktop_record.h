// The user's desktop as it was before an installation changed it, and what the uninstaller
// puts back. Text only: the registry reads and writes are in desktop_record_win32.h.
//
// The record is a small text file in the wallpaper folder, "previous desktop.ini", written by
// the installer just before it makes the page the wallpaper, read by the uninstaller before it
// deletes the folder. Lines end in CR LF; values run to the end of their line:
//
//   [Velumar previous desktop]
//   ActiveWallpaper=<Desktop\General "Wallpaper">        each value line only when the value
//   ActiveWallpaperStyle=<Desktop\General "WallpaperStyle">  was there (REG_SZ); the absent
//   ActiveTileWallpaper=<Desktop\General "TileWallpaper">    ones are not written back
//   ClassicWallpaper=<Control Panel\Desktop "Wallpaper">
//   ClassicWallpaperStyle=<Control Panel\Desktop "WallpaperStyle">
//   ClassicTileWallpaper=<Control Panel\Desktop "TileWallpaper">
//   Background=<Control Panel\Colors "Background">
//   ComponentFlags=<Components\0 "Flags", decimal>
//   InstalledBackground=<the colour text the installation wrote>
//   [end]
//
// A file that is not exactly this (another first line, no end line, an unknown or repeated
// key, a control character, an overlong value, a number that is not one) is no record: the
// uninstaller then does what it did before there were records.
#ifndef VELUMAR_DESKTOP_DESKTOP_RECORD_H
#define VELUMAR_DESKTOP_DESKTOP_RECORD_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velumar::desktop {

// A registry path the system can use is shorter than a record value may be; a record with
// every value at its longest is shorter than a record file may be.
inline constexpr size_t kLongestRecordValue = 1024;
inline constexpr size_t kLongestRecordFile = 16 * 1024;

// The values of the user's desktop that the installation changes; nothing for a value (or a
// key) that is not there.
struct DesktopValues {
    std::optional<std::string> activeWallpaper;
    std::optional<std::string> activeWallpaperStyle;
    std::optional<std::string> activeTileWallpaper;
    std::optional<std::string> classicWallpaper;
    std::optional<std::string> classicWallpaperStyle;
    std::optional<std::string> classicTileWallpaper;
    std::optional<std::string> background;
    std::optional<uint32_t> componentFlags;

    bool operator==(const DesktopValues&) const = default;
};

struct DesktopRecord {
    DesktopValues before;
    std::string installedBackground;

    bool operator==(const DesktopRecord&) const = default;
};

// The record's text; nothing when a value cannot be written on one line (a line break or
// another control character, or longer than a record value may be).
std::optional<std::string> formatDesktopRecord(const DesktopRecord& record);

// The record in text, or nothing when the text is not a whole, well-formed record.
std::optional<DesktopRecord> parseDesktopRecord(std::string_view text);

// What an installation records: the first record when an earlier installation of the same
// wallpaper left one (the user's desktop, not the earlier package's), with the colour this
// installation writes; otherwise the desktop as it is now. Nothing when there is no earlier
// record and the desktop already shows this wallpaper's page: the user's own is not known.
std::optional<DesktopRecord> recordForInstallation(const std::optional<DesktopRecord>& earlier,
                                                   const DesktopValues& current,
                                                   std::string_view pagePath,
                                                   std::string installedBackground);

// What the uninstaller writes back: each value only where the user has not changed it since
// the installation.
struct DesktopRestore {
    // The page is still the wallpaper: the previous wallpaper and its options come back as they
    // were recorded, also when the file the value names is gone (the user's value is put back,
    // never replaced by nothing: the desktop shows no picture for it, as before) ...
    bool wallpaper = false;
    // ... or, when the recorded wallpaper is this page itself, the page is cleared as without a
    // record.
    bool clearWallpaper = false;
    std::optional<std::string> background;   // the colour is still the installation's
    std::optional<uint32_t> componentFlags;  // the flags are still as the installation left them
};

DesktopRestore planDesktopRestore(const DesktopRecord& record, const DesktopValues& current,
                                  std::string_view pagePath);

// What a failed or cancelled run gives back of the desktop its set-up changed, `before` being
// the values just before the set-up: the colour and the component flags where they are still
// the run's, and the wallpaper as it was, also when that was this very page (a reinstall: the
// earlier page is back in its place by then); cleared when there was none.
DesktopRestore planRollbackRestore(const DesktopValues& before, const DesktopValues& current,
                                   std::string_view installedBackground);

}  // namespace velumar::desktop

#endif
