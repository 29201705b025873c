// The record of the user's desktop in the wallpaper folder (desktop_record.h), made by the
// installer and used by the uninstaller (Win32 build only). Neither shows anything: a record
// that cannot be written, or read back whole, leaves the uninstaller doing what it did before
// there were records.
#ifndef VELUMAR_DESKTOP_DESKTOP_RECORD_WIN32_H
#define VELUMAR_DESKTOP_DESKTOP_RECORD_WIN32_H

#include <optional>
#include <string>

#include "desktop/desktop_record.h"

namespace velumar::desktop {

// The values under HKEY_CURRENT_USER that the installation changes, as they are now.
DesktopValues readDesktopValues();

// wallpaperFolder + "previous desktop.ini", and the record there when it is whole.
std::string desktopRecordPath(const std::string& wallpaperFolder);
std::optional<DesktopRecord> readDesktopRecord(const std::string& wallpaperFolder);

// Called before the wallpaper is set up: writes the record into wallpaperFolder (with its
// final "\"), keeping the first record of an earlier installation, read from earlierFolder
// (where a reinstall set that installation aside; the wallpaper folder itself otherwise).
// beforeRun: the values start-up found before this run itself changed the Active Desktop
// wallpaper (the Flash player step), when it did; the recorded wallpaper is then that one.
void recordDesktopBeforeInstall(const std::string& wallpaperFolder, const std::string& pagePath,
                                const std::string& installedBackground,
                                const std::string& earlierFolder,
                                const std::optional<DesktopValues>& beforeRun = std::nullopt);

// A failed or cancelled run's: the desktop as it was before the run's set-up (`before`), where
// the run changed it (planRollbackRestore), through restoreDesktop.
void restoreDesktopBeforeRun(const DesktopValues& before, const std::string& installedBackground);

// Puts back what the record in wallpaperFolder says and the user has not changed since, through
// the same Active Desktop calls, registry values and refresh as the installation. False when
// there is no usable record: nothing was done.
bool restoreRecordedDesktop(const std::string& wallpaperFolder, const std::string& pagePath);

}  // namespace velumar::desktop

#endif
