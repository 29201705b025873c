// Making the wallpaper page the Active Desktop wallpaper (Win32 build only).
//
// Per-user registry values under HKEY_CURRENT_USER (each key opened, never created: a missing
// key skips its write), two passes over the shell's IActiveDesktop object, the classic
// wallpaper setting twice and an F5 posted to the desktop view. The HRESULTs and the results
// of SystemParametersInfo and of the post are not examined: none of them changes the install
// result. When the object cannot be created the pass is skipped and the sequence goes on.
#ifndef VELUMAR_DESKTOP_ACTIVE_DESKTOP_WIN32_H
#define VELUMAR_DESKTOP_ACTIVE_DESKTOP_WIN32_H

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/desktop_record.h"
#include "util/error_codes.h"

namespace velumar::desktop {

struct WallpaperSettings {
    std::string windowsFolder;  // with its final "\"
    std::string wallpaperName;  // as the data file header stores it
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    bool startUninstaller = false;  // slot 10 is named
};

// Starts the package's uninstaller with "/b" when asked (by its full path, working folder the
// wallpaper folder without its final "\", not waited for), then applies the page. Always 0.
velumar::ErrorCode setupWallpaper(const WallpaperSettings& settings);

// The registry writes, the two passes, the wallpaper setting and the refresh, in that order.
void applyActiveDesktopWallpaper(const std::string& pagePath, int32_t red, int32_t green,
                                 int32_t blue);

// "Wallpaper" = "" under Desktop\General, then one pass with COMPONENTSOPT {12, 0, 0}: desktop
// items and the Active Desktop off, an empty wallpaper.
void disableActiveDesktop();

// What disableActiveDesktop changes, as it was before: the registry's wallpaper value (its
// type and bytes, or its absence) and the object's item options and wallpaper. Each part is
// put back only when it could be read.
struct ActiveDesktopState {
    bool keyFound = false;
    bool valuePresent = false;
    std::uint32_t valueType = 0;
    std::vector<std::uint8_t> value;
    bool optionsRead = false;
    std::int32_t enableComponents = 0;
    std::int32_t activeDesktop = 0;
    bool wallpaperRead = false;
    std::wstring wallpaper;
};

ActiveDesktopState recordActiveDesktop();
// The registry value written back (or removed again), then one pass over the object with the
// recorded options and wallpaper.
void restoreActiveDesktop(const ActiveDesktopState& state);

// The Active Desktop wallpaper as the registry records it (Desktop\General "Wallpaper"), and
// its removal: "" written there and one pass that gives the object an empty wallpaper while
// leaving the Active Desktop on. For the uninstaller.
std::string currentActiveDesktopWallpaper();
void clearActiveDesktopWallpaper();

// Writes back what the plan says, in the installation's order: the component flags, the
// colour, then the previous wallpaper with its options (registry values, one pass over the
// Active Desktop object with the installation's options, the classic wallpaper setting) and
// the refresh of the desktop view. A plan that clears the wallpaper clears it as above.
void restoreDesktop(const DesktopValues& before, const DesktopRestore& plan);

}  // namespace velumar::desktop

#endif
