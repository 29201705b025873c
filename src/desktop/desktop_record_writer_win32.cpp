// The installer's half of the record in the wallpaper folder (desktop_record_win32.h), in an
// object of its own: the uninstaller, which only reads the record, does not carry it.
#include <windows.h>

#include "desktop/desktop_record_win32.h"

#include "desktop/active_desktop_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"

namespace velumar::desktop {

void recordDesktopBeforeInstall(const std::string& wallpaperFolder, const std::string& pagePath,
                                const std::string& installedBackground,
                                const std::string& earlierFolder,
                                const std::optional<DesktopValues>& beforeRun) {
    DesktopValues current = readDesktopValues();
    if (beforeRun) current.activeWallpaper = beforeRun->activeWallpaper;
    const std::optional<DesktopRecord> record = recordForInstallation(
        readDesktopRecord(earlierFolder), current, pagePath, installedBackground);
    if (!record) return;
    const std::optional<std::string> text = formatDesktopRecord(*record);
    if (!text) return;
    const std::string path = desktopRecordPath(wallpaperFolder);
    FileHandle file = createForWriting(path);
    if (!file) return;
    const bool written = writeWhole(file.get(), text->data(), text->size()) == 0;
    file.reset();
    // A record cut short would only be read as damaged; none at all says the same plainly.
    if (!written) ::DeleteFileA(path.c_str());
}

void restoreDesktopBeforeRun(const DesktopValues& before, const std::string& installedBackground) {
    restoreDesktop(before, planRollbackRestore(before, readDesktopValues(), installedBackground));
}

}  // namespace velumar::desktop
