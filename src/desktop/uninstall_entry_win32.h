// The uninstall entry under HKEY_LOCAL_MACHINE and the clean-up after a failed or cancelled
// installation (Win32 build only).
//
// The entry is "Software\Microsoft\Windows\CurrentVersion\Uninstall\" + wallpaper name with
// "DisplayName" (the wallpaper's display name) and "UninstallString" (WINDIR + "WEB\Wallpaper\"
// + name + " dir\uninstall.exe", its short form on Windows 95, 98 and ME).
#ifndef VELUMAR_DESKTOP_UNINSTALL_ENTRY_WIN32_H
#define VELUMAR_DESKTOP_UNINSTALL_ENTRY_WIN32_H

#include <string>

#include "package/error_codes.h"

namespace velumar::desktop {

// Creates the key when missing, writes both values, then deletes the per-user key of the same
// path. 0, or the registry's code when it refuses to create or write the key.
package::ErrorCode registerUninstall(const std::string& wallpaperName);

// As registerUninstall, with the Windows folder and the choice of the short form given.
package::ErrorCode registerUninstallWith(const std::string& wallpaperName,
                                         const std::string& windowsFolder, bool shortForm);

// Deletes the entry's values and the key with any subkeys; a missing key does nothing.
void removeUninstallEntry(const std::string& wallpaperName);

// The wallpaper folder with everything in it, the wallpaper page, the uninstall entry.
// Results are ignored: what cannot be deleted stays.
void cleanUpInstallation(const std::string& wallpaperFolder, const std::string& pagePath,
                         const std::string& wallpaperName);

}  // namespace velumar::desktop

#endif
