// The installation's Active Desktop set-up, in an object of its own: the uninstaller, which
// only clears or gives back the wallpaper (active_desktop_win32.cpp), does not carry it.
#include <windows.h>

#include <string>

#include "desktop/active_desktop_calls_win32.h"
#include "desktop/active_desktop_win32.h"
#include "desktop/desktop_texts.h"
#include "desktop/install_paths.h"
#include "package/package_rules.h"
#include "util/handles_win32.h"
#include "util/processes_win32.h"

namespace velumar::desktop {

namespace {

using namespace calls;

void clearComponentFlagBit() {
    const RegistryKey key = openUserKey(texts::kComponentsKey);
    if (!key) return;
    const std::string name(texts::kFlagsValue);
    DWORD type = 0;
    DWORD flags = 0;
    DWORD size = sizeof flags;
    // A missing value or one that is not a 32-bit integer is left as it is.
    if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&flags),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof flags) {
        return;
    }
    if (const auto cleared = componentFlagsToWrite(flags)) {
        const DWORD value = *cleared;
        ::RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
}

void startUninstaller(const WallpaperSettings& settings) {
    const std::string program = uninstallerPath(settings.windowsFolder, settings.wallpaperName);
    const std::string folder =
        uninstallerWorkingFolder(settings.windowsFolder, settings.wallpaperName);
    startProgram(program, std::string(texts::kUninstallerBackground), folder);
}

}  // namespace

velumar::ErrorCode setupWallpaper(const WallpaperSettings& settings) {
    // The page and the uninstaller's folder are made from this name: one that fails the rule
    // could point the desktop, or the start of a program, outside "Web\Wallpaper\".
    if (!package::isValidWallpaperName(settings.wallpaperName)) return velumar::kOk;
    if (settings.startUninstaller) startUninstaller(settings);
    applyActiveDesktopWallpaper(wallpaperPagePath(settings.windowsFolder, settings.wallpaperName),
                                settings.red, settings.green, settings.blue);
    return velumar::kOk;
}

void applyActiveDesktopWallpaper(const std::string& pagePath, int32_t red, int32_t green,
                                 int32_t blue) {
    ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    clearComponentFlagBit();
    const HWND view = desktopView();
    writeUserString(texts::kGeneralKey, texts::kWallpaperValue, "");
    // The Active Desktop is first switched on with an empty wallpaper and applied; only after
    // the colour and the registry are set is it given the page.
    activeDesktopPass(kOn, L"");
    writeUserString(texts::kColorsKey, texts::kBackgroundValue,
                    backgroundColourText(red, green, blue));
    writeUserString(texts::kGeneralKey, texts::kWallpaperValue, pagePath);
    activeDesktopPass(kOn, wide(pagePath));
    ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(pagePath.c_str()), 0);
    ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE);
    refreshDesktopView(view);
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
}

void disableActiveDesktop() {
    writeUserString(texts::kGeneralKey, texts::kWallpaperValue, "");
    activeDesktopPass(kOff, L"");
}

ActiveDesktopState recordActiveDesktop() {
    ActiveDesktopState state;
    if (const RegistryKey key = openUserKey(texts::kGeneralKey)) {
        state.keyFound = true;
        const std::string name(texts::kWallpaperValue);
        DWORD type = 0;
        DWORD size = 0;
        if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) ==
            ERROR_SUCCESS) {
            state.value.resize(size);
            if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, state.value.data(),
                                   &size) == ERROR_SUCCESS) {
                state.valuePresent = true;
                state.valueType = type;
                state.value.resize(size);
            }
        }
    }
    const ComInitGuard com;
    const ComPtr<IActiveDesktop> desktop = createActiveDesktop();
    if (!desktop) return state;
    COMPONENTSOPT options{};
    options.dwSize = sizeof options;
    if (SUCCEEDED(desktop->GetDesktopItemOptions(&options, 0))) {
        state.optionsRead = true;
        state.enableComponents = options.fEnableComponents;
        state.activeDesktop = options.fActiveDesktop;
    }
    wchar_t wallpaper[MAX_PATH + 1] = {};
    if (SUCCEEDED(desktop->GetWallpaper(wallpaper, MAX_PATH, 0))) {
        state.wallpaperRead = true;
        state.wallpaper = wallpaper;
    }
    return state;
}

void restoreActiveDesktop(const ActiveDesktopState& state) {
    if (state.keyFound) {
        if (const RegistryKey key = openUserKey(texts::kGeneralKey)) {
            const std::string name(texts::kWallpaperValue);
            if (state.valuePresent) {
                ::RegSetValueExA(key.get(), name.c_str(), 0, state.valueType, state.value.data(),
                                 static_cast<DWORD>(state.value.size()));
            } else {
                ::RegDeleteValueA(key.get(), name.c_str());
            }
        }
    }
    if (!state.optionsRead && !state.wallpaperRead) return;
    const ComInitGuard com;
    const ComPtr<IActiveDesktop> desktop = createActiveDesktop();
    if (!desktop) return;
    if (state.optionsRead) {
        COMPONENTSOPT options{};
        options.dwSize = sizeof options;
        options.fEnableComponents = state.enableComponents;
        options.fActiveDesktop = state.activeDesktop;
        desktop->SetDesktopItemOptions(&options, 0);
    }
    if (state.wallpaperRead) desktop->SetWallpaper(state.wallpaper.c_str(), 0);
    desktop->ApplyChanges(kApplyAllForced);
}

}  // namespace velumar::desktop
