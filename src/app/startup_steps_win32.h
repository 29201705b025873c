// The start-up driver's steps on Windows (Win32 build only): the package copy and its header,
// the slots start-up writes, the wallpaper folder, the Flash player step, and the run's end;
// the window's own steps are the installer window's.
#ifndef VELUMAR_APP_STARTUP_STEPS_WIN32_H
#define VELUMAR_APP_STARTUP_STEPS_WIN32_H

#include <windows.h>

#include <optional>

#include "app/startup_driver.h"
#include "desktop/active_desktop_win32.h"
#include "desktop/flash_player.h"
#include "package/extract_win32.h"
#include "util/handles_win32.h"

namespace velumar::app {

class TInstallerForm;
class TkvrMessageBox;
class TpreparingInstallWnd;

class Win32StartupSteps final : public StartupSteps {
  public:
    Win32StartupSteps(InstallerState& state, TInstallerForm& form, TkvrMessageBox& messageBox,
                      TpreparingInstallWnd& preparingWindow) noexcept
        : state_(state), form_(form), messageBox_(messageBox), preparingWindow_(preparingWindow) {}

    void showHourglass() override;
    void restoreCursor() override;
    void findSystemFolders() override;
    ErrorCode locateInstaller() override;
    ErrorCode makePackageCopy() override;
    ErrorCode readPackageHeader() override;
    ErrorCode writeSlot(int slot) override;
    void prepareWallpaperFolder() override;
    ErrorCode runFlashPlayerStep() override;
    void showCaption() override;
    ErrorCode setUpLicense() override;
    void showPreview() override;
    void layOutWindow() override;
    void runSilentInstall() override;
    void showWindow() override;
    void closeWindow() override;
    void removePackageCopyFiles() override;
    void deleteWallpaperFolder() override;
    void restoreActiveDesktop() override;

  private:
    package::ExtractionTarget extractionTarget();
    ErrorCode checkPackageCopy(package::ByteSource& copy);

    InstallerState& state_;
    TInstallerForm& form_;
    TkvrMessageBox& messageBox_;
    TpreparingInstallWnd& preparingWindow_;
    HCURSOR rememberedCursor_ = nullptr;
    desktop::FlashPlayerVersion flashVersion_;
    // "flashax.exe" as start-up wrote and checked it, held until the Flash player step.
    FileHandle flashInstaller_;
    // The Active Desktop as the Flash player step found it, when it switched it off.
    std::optional<desktop::ActiveDesktopState> activeDesktopBefore_;
};

}  // namespace velumar::app

#endif
