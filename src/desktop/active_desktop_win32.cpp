// The Active Desktop calls shared by the installation's set-up (active_desktop_setup_win32.cpp)
// and what the uninstaller does with the wallpaper (desktop_restore_win32.cpp).
#include "desktop/active_desktop_win32.h"

#include <windows.h>
#include <wininet.h>

// After wininet.h: shlobj.h declares IActiveDesktop only when wininet.h came first.
#include <shlobj.h>

#include <string>

#include "desktop/active_desktop_calls_win32.h"
#include "desktop/desktop_texts.h"
#include "util/handles_win32.h"
#include "util/system_calls_win32.h"

namespace velumar::desktop {

namespace {

static_assert(calls::kApplyAllForced == (AD_APPLY_ALL | AD_APPLY_FORCE));
constexpr LPARAM kRefreshKeyData = 3;

// The Active Desktop object's class and interface. Defined here rather than taken from
// libuuid, whose one object file would bring every id of the SDK into the programs.
constexpr CLSID kActiveDesktopClass = {
    0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
constexpr IID kActiveDesktopInterface = {
    0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};

static_assert(sizeof(COMPONENTSOPT) == 12);

}  // namespace

namespace calls {

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), result.data(), length);
    return result;
}

RegistryKey openUserKey(std::string_view path) {
    RegistryKey key;
    const std::string name(path);
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, KEY_READ | KEY_WRITE, key.put()) !=
        ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

void writeUserString(std::string_view keyPath, std::string_view value, const std::string& text) {
    const RegistryKey key = openUserKey(keyPath);
    if (!key) return;
    const std::string name(value);
    ::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
}

ComPtr<IActiveDesktop> createActiveDesktop() {
    ComPtr<IActiveDesktop> desktop;
    if (FAILED(sys::coCreateInstance(kActiveDesktopClass, nullptr,
                                     CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                     kActiveDesktopInterface, desktop.putVoid())))
        desktop.reset();
    return desktop;
}

void activeDesktopPass(BOOL enable, const std::wstring& wallpaper) {
    const ComInitGuard com;
    const ComPtr<IActiveDesktop> desktop = createActiveDesktop();
    if (!desktop) return;
    COMPONENTSOPT options{};
    options.dwSize = sizeof options;
    options.fEnableComponents = enable;
    options.fActiveDesktop = enable;
    desktop->SetDesktopItemOptions(&options, 0);
    desktop->SetWallpaper(wallpaper.c_str(), 0);
    desktop->ApplyChanges(kApplyAllForced);
}

// Progman's first child's first child.
HWND desktopView() {
    const std::string cls(texts::kDesktopClass);
    const std::string title(texts::kDesktopTitle);
    HWND window = ::FindWindowA(cls.c_str(), title.c_str());
    if (window) window = ::GetWindow(window, GW_CHILD);
    if (window) window = ::GetWindow(window, GW_CHILD);
    return window;
}

void refreshDesktopView(HWND view) {
    // A null handle would post to this thread's own queue instead of going nowhere.
    if (view) ::PostMessageA(view, WM_KEYDOWN, VK_F5, kRefreshKeyData);
}

}  // namespace calls

}  // namespace velumar::desktop
