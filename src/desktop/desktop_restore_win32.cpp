// What the uninstaller does with the wallpaper: gives back the desktop the record describes,
// or clears the wallpaper. In an object of its own, so that the installer does not carry it
// (MinGW's linker keeps every function of an object that has an unwind table naming it).
#include "desktop/active_desktop_calls_win32.h"
#include "desktop/active_desktop_win32.h"
#include "desktop/desktop_record_win32.h"
#include "desktop/desktop_texts.h"
#include "util/files_win32.h"

namespace velumar::desktop {

namespace {

using namespace calls;

void writeUserStringWhenKnown(std::string_view keyPath, std::string_view value,
                              const std::optional<std::string>& text) {
    if (text) writeUserString(keyPath, value, *text);
}

void writeUserNumber(std::string_view keyPath, std::string_view value, DWORD number) {
    const RegistryKey key = openUserKey(keyPath);
    if (!key) return;
    const std::string name(value);
    ::RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                     sizeof number);
}

}  // namespace

std::string currentActiveDesktopWallpaper() {
    const RegistryKey key = openUserKey(texts::kGeneralKey);
    if (!key) return {};
    const std::string name(texts::kWallpaperValue);
    char text[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text),
                           &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    return text;
}

void clearActiveDesktopWallpaper() {
    writeUserString(texts::kGeneralKey, texts::kWallpaperValue, "");
    activeDesktopPass(kOn, L"");
    ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE);
}

void restoreDesktop(const DesktopValues& before, const DesktopRestore& plan) {
    if (plan.componentFlags)
        writeUserNumber(texts::kComponentsKey, texts::kFlagsValue, *plan.componentFlags);
    if (plan.background)
        writeUserString(texts::kColorsKey, texts::kBackgroundValue, *plan.background);
    if (plan.clearWallpaper) clearActiveDesktopWallpaper();
    const HWND view = desktopView();
    if (plan.wallpaper) {
        const std::string wallpaper = before.activeWallpaper.value_or(std::string());
        writeUserStringWhenKnown(texts::kGeneralKey, texts::kWallpaperStyleValue,
                                 before.activeWallpaperStyle);
        writeUserStringWhenKnown(texts::kGeneralKey, texts::kTileWallpaperValue,
                                 before.activeTileWallpaper);
        writeUserString(texts::kGeneralKey, texts::kWallpaperValue, wallpaper);
        activeDesktopPass(kOn, wide(wallpaper));
        writeUserStringWhenKnown(texts::kClassicDesktopKey, texts::kWallpaperStyleValue,
                                 before.classicWallpaperStyle);
        writeUserStringWhenKnown(texts::kClassicDesktopKey, texts::kTileWallpaperValue,
                                 before.classicTileWallpaper);
        std::string classic = before.classicWallpaper.value_or(std::string());
        ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, classic.data(), 0);
        ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE);
    }
    if (plan.wallpaper || plan.background || plan.componentFlags) refreshDesktopView(view);
}

bool restoreRecordedDesktop(const std::string& wallpaperFolder, const std::string& pagePath) {
    const std::optional<DesktopRecord> record = readDesktopRecord(wallpaperFolder);
    if (!record) return false;
    const DesktopRestore plan = planDesktopRestore(*record, readDesktopValues(), pagePath);
    restoreDesktop(record->before, plan);
    return true;
}

}  // namespace velumar::desktop
