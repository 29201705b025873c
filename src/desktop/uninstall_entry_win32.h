// The uninstall entry under HKEY_LOCAL_MACHINE and the clean-up after a failed or cancelled
// installation (Win32 build only).
//
// The entry is "Software\Microsoft\Windows\CurrentVersion\Uninstall\" + wallpaper name with
// "DisplayName" (the wallpaper's display name) and "UninstallString": the uninstaller in the
// folder the files were written to, quoted (on Windows 95, 98 and ME its short form, quoted
// only when it still holds a blank). A key of that name is changed or removed only when it is
// ours: its UninstallString names this wallpaper's uninstaller, quoted or, as entries written
// before, not (install_paths.h, entryOwner).
#ifndef VELUMAR_DESKTOP_UNINSTALL_ENTRY_WIN32_H
#define VELUMAR_DESKTOP_UNINSTALL_ENTRY_WIN32_H

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "desktop/install_paths.h"
#include "util/error_codes.h"

namespace velumar::desktop {

// An uninstall key's two values as they are; exists is false when there is no key.
struct UninstallEntry {
    bool exists = false;
    std::optional<std::string> displayName;
    std::optional<std::string> uninstallString;
};

UninstallEntry readUninstallEntry(HKEY root, const std::string& wallpaperName);

// The uninstallers an entry of this wallpaper may name: the one in the wallpaper folder, its
// short form when it exists, and the one entries written before named (WINDIR +
// "WEB\Wallpaper\" + name + " dir\uninstall.exe").
std::vector<std::string> ownUninstallers(const std::string& wallpaperName,
                                         const std::string& wallpaperFolder);

EntryOwner uninstallEntryOwner(HKEY root, const std::string& wallpaperName,
                               std::span<const std::string> ownUninstallers);

// Writes both values, creating the key when missing, then deletes the per-user key of the same
// path when it is ours. kForeignUninstallEntry, with nothing written, when the machine's key is
// another program's; ERROR_INVALID_NAME for a name that names no single key; the registry's
// code when it refuses to create or write the key.
velumar::ErrorCode registerUninstall(const std::string& wallpaperName,
                                     const std::string& wallpaperFolder);

// As registerUninstall, with the choice of the short form given (Windows 95, 98 and ME).
velumar::ErrorCode registerUninstallWith(const std::string& wallpaperName,
                                         const std::string& wallpaperFolder, bool windows9x);

// Deletes the entry's values and the key with any subkeys when the key is ours; a missing or
// foreign key stays as it is.
void removeUninstallEntry(const std::string& wallpaperName,
                          std::span<const std::string> ownUninstallers);

// The machine's entry as it was: its values written back (one that was not there removed), or,
// when there was no key, ours removed.
void restoreUninstallEntry(const std::string& wallpaperName, const UninstallEntry& earlier,
                           std::span<const std::string> ownUninstallers);

}  // namespace velumar::desktop

#endif
