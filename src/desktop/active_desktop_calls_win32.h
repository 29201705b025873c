// The pieces of the Active Desktop calls shared by the installation's set-up
// (active_desktop_setup_win32.cpp) and the uninstaller's clearing and giving back of the
// wallpaper (desktop_restore_win32.cpp), which sit in objects of their own so that the
// uninstaller carries only what it uses (Win32 build only).
#ifndef VELUMAR_DESKTOP_ACTIVE_DESKTOP_CALLS_WIN32_H
#define VELUMAR_DESKTOP_ACTIVE_DESKTOP_CALLS_WIN32_H

#include <windows.h>
#include <wininet.h>

// After wininet.h: shlobj.h declares IActiveDesktop only when wininet.h came first.
#include <shlobj.h>

#include <string>
#include <string_view>

#include "util/handles_win32.h"

namespace velumar::desktop::calls {

// COMPONENTSOPT's BOOLs: "on" is every bit set.
inline constexpr BOOL kOn = -1;
inline constexpr BOOL kOff = 0;
// ApplyChanges' AD_APPLY_ALL | AD_APPLY_FORCE.
inline constexpr DWORD kApplyAllForced = 0x0F;

std::wstring wide(const std::string& text);

// A key under HKEY_CURRENT_USER opened for reading and writing, never created; empty when
// missing.
RegistryKey openUserKey(std::string_view path);

// value = text under that key; nothing when the key is missing.
void writeUserString(std::string_view keyPath, std::string_view value, const std::string& text);

// A fresh instance of the shell's Active Desktop object; empty when the shell has none. COM
// must be initialised for as long as it is held.
ComPtr<IActiveDesktop> createActiveDesktop();

// One pass over a fresh instance of the Active Desktop object: SetDesktopItemOptions with
// {12, enable, enable}, SetWallpaper, ApplyChanges(AD_APPLY_ALL | AD_APPLY_FORCE). Nothing
// when the shell has no such object.
void activeDesktopPass(BOOL enable, const std::wstring& wallpaper);

// The view inside the desktop window, and F5 posted to it (nothing for a null view).
HWND desktopView();
void refreshDesktopView(HWND view);

}  // namespace velumar::desktop::calls

#endif
