// The start-up driver: what the installer does from its start to the window shown, or to the
// failure box and the end of the program, in its order and with its codes; and the run's end.
//
// runStartup: the hourglass, the Windows and system folders, then the table below in order
// while the code is 0. "window" entries run only for the kinds that show a window, "silent"
// ones only for the silent kind; a slot is written only when package::startupWrites says start-up
// writes it (the preview is renamed for its kind first).
//    1  locateInstaller            a fresh folder under TEMP for the package copy
//    2  makePackageCopy
//    3  readPackageHeader          the header, then the whole copy against its integrity record
//    4  checkWallpaperName         -540 for a name outside the wallpaper-name rule; the
//                                  wallpaper's name and folder into the state
//    5  write slot 1               the compression library
//    6  prepareWallpaperFolder     an earlier installation found, or the folder created
//    7  write slot 5               the file opened after installing
//    8  write slot 2               the Flash player installer
//    9  runFlashPlayerStep
//   10  window: showCaption
//   11  window: write slot 4       the licence
//   12  window: setUpLicense
//   13  window: write slot 3       the preview
//   14  window: showPreview
//   15  window: layOutWindow
//   16  silent: runSilentInstall
// Then the cursor is restored; a failure other than a cancelled Flash player step shows the
// start-up failure box; a failure or the silent kind closes the window, otherwise it is shown.
//
// endRun (the window closing, by any means): the package copy's folder goes with what start-up
// made in it; the wallpaper folder this run created goes when no installation was kept; the
// Active Desktop the Flash player step switched off is put back when no installation was kept.
//
// The steps sit behind StartupSteps: the Win32 steps (app/startup_steps_win32.h) and the tests'
// recording fakes run the same order.
#ifndef VELUMAR_APP_STARTUP_DRIVER_H
#define VELUMAR_APP_STARTUP_DRIVER_H

#include <cstdint>

#include "desktop/install_ui.h"

namespace velumar::app {

using desktop::InstallerState;
using desktop::InstallUi;

class StartupSteps {
  public:
    virtual ~StartupSteps() = default;
    virtual void showHourglass() = 0;  // remembers the cursor in force, lets messages through
    virtual void restoreCursor() = 0;
    virtual void findSystemFolders() = 0;  // the Windows and system folders into the state
    virtual ErrorCode locateInstaller() = 0;
    virtual ErrorCode makePackageCopy() = 0;
    virtual ErrorCode readPackageHeader() = 0;
    virtual ErrorCode writeSlot(int slot) = 0;
    virtual void prepareWallpaperFolder() = 0;
    virtual ErrorCode runFlashPlayerStep() = 0;
    virtual void showCaption() = 0;
    virtual ErrorCode setUpLicense() = 0;
    virtual void showPreview() = 0;
    virtual void layOutWindow() = 0;
    virtual void runSilentInstall() = 0;
    virtual void showWindow() = 0;
    virtual void closeWindow() = 0;
    // The run's end.
    virtual void removePackageCopyFiles() = 0;
    virtual void deleteWallpaperFolder() = 0;
    virtual void restoreActiveDesktop() = 0;  // nothing when the Flash player step left it alone
};

enum class StartupStep : uint8_t {
    locateInstaller,
    makePackageCopy,
    readPackageHeader,
    checkWallpaperName,
    writeSlot,
    prepareWallpaperFolder,
    runFlashPlayerStep,
    showCaption,
    setUpLicense,
    showPreview,
    layOutWindow,
    runSilentInstall,
};

enum class StartupStage : uint8_t { any, window, silent };

struct StartupEntry {
    StartupStep step;
    StartupStage stage = StartupStage::any;
    int slot = 0;  // for writeSlot
};

inline constexpr StartupEntry kStartupOrder[] = {
    {StartupStep::locateInstaller},
    {StartupStep::makePackageCopy},
    {StartupStep::readPackageHeader},
    {StartupStep::checkWallpaperName},
    {StartupStep::writeSlot, StartupStage::any, package::slots::compressionLibrary},
    {StartupStep::prepareWallpaperFolder},
    {StartupStep::writeSlot, StartupStage::any, package::slots::openAfterInstall},
    {StartupStep::writeSlot, StartupStage::any, package::slots::flashInstaller},
    {StartupStep::runFlashPlayerStep},
    {StartupStep::showCaption, StartupStage::window},
    {StartupStep::writeSlot, StartupStage::window, package::slots::license},
    {StartupStep::setUpLicense, StartupStage::window},
    {StartupStep::writeSlot, StartupStage::window, package::slots::preview},
    {StartupStep::showPreview, StartupStage::window},
    {StartupStep::layOutWindow, StartupStage::window},
    {StartupStep::runSilentInstall, StartupStage::silent},
};

// The installer's state for the whole run, and the start-up and end that fill and close it.
class StartupDriver {
  public:
    InstallerState& state() noexcept { return state_; }
    const InstallerState& state() const noexcept { return state_; }
    // Start-up's code: 0, or what ended it.
    ErrorCode startupCode() const noexcept { return startupCode_; }

    ErrorCode runStartup(InstallUi& ui, StartupSteps& steps);
    // The run's end; returns the process's exit code (app/exit_codes.h).
    int endRun(StartupSteps& steps);

  private:
    ErrorCode runEntry(const StartupEntry& entry, StartupSteps& steps);
    bool entryApplies(const StartupEntry& entry) const noexcept;

    InstallerState state_;
    ErrorCode startupCode_ = velumar::kOk;
};

}  // namespace velumar::app

#endif
