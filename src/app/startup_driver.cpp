#include "app/startup_driver.h"

#include "app/exit_codes.h"
#include "app/startup_rules.h"
#include "desktop/install_paths.h"
#include "package/package_rules.h"

namespace velumar::app {

using velumar::kOk;

bool StartupDriver::entryApplies(const StartupEntry& entry) const noexcept {
    const bool window = package::showsWindow(state_.header.kind);
    if (entry.stage == StartupStage::window && !window) return false;
    if (entry.stage == StartupStage::silent && window) return false;
    return entry.step != StartupStep::writeSlot ||
           package::startupWrites(state_.header, entry.slot);
}

ErrorCode StartupDriver::runEntry(const StartupEntry& entry, StartupSteps& steps) {
    switch (entry.step) {
        case StartupStep::locateInstaller:
            return steps.locateInstaller();
        case StartupStep::makePackageCopy:
            return steps.makePackageCopy();
        case StartupStep::readPackageHeader:
            return steps.readPackageHeader();
        case StartupStep::checkWallpaperName:
            // Refused before anything is written: a name that leaves "Web\Wallpaper\" would
            // place the wallpaper folder elsewhere, and a later clean-up would delete that tree.
            if (!package::isValidWallpaperName(state_.header.wallpaperName()))
                return kUnsafeWallpaperName;
            state_.wallpaperName = state_.header.wallpaperName();
            state_.wallpaperFolder =
                desktop::wallpaperFolderPath(state_.windowsFolder, state_.wallpaperName);
            return kOk;
        case StartupStep::writeSlot:
            // Every later use sees the preview under the name its kind gives it.
            if (entry.slot == package::slots::preview) package::renamePreview(state_.header);
            return steps.writeSlot(entry.slot);
        case StartupStep::prepareWallpaperFolder:
            steps.prepareWallpaperFolder();
            return kOk;
        case StartupStep::runFlashPlayerStep:
            return steps.runFlashPlayerStep();
        case StartupStep::showCaption:
            steps.showCaption();
            return kOk;
        case StartupStep::setUpLicense:
            return steps.setUpLicense();
        case StartupStep::showPreview:
            steps.showPreview();
            return kOk;
        case StartupStep::layOutWindow:
            steps.layOutWindow();
            return kOk;
        case StartupStep::runSilentInstall:
            // Its code is the installation's, kept in the state; start-up does not use it.
            steps.runSilentInstall();
            return kOk;
    }
    return kOk;
}

ErrorCode StartupDriver::runStartup(InstallUi& ui, StartupSteps& steps) {
    steps.showHourglass();
    state_.busy = false;
    state_.cancelRequest = false;
    steps.findSystemFolders();
    ErrorCode code = kOk;
    for (const StartupEntry& entry : kStartupOrder) {
        if (code != kOk) break;
        if (entryApplies(entry)) code = runEntry(entry, steps);
    }
    steps.restoreCursor();
    startupCode_ = code;
    if (code != kOk && code != kFlashStepCancelled) ui.showErrorDialog(startupFailureText(code));
    if (code != kOk || !package::showsWindow(state_.header.kind)) {
        steps.closeWindow();
    } else {
        steps.showWindow();
    }
    return code;
}

int StartupDriver::endRun(StartupSteps& steps) {
    // The package copy's folder goes with what start-up made in it; anything else found there
    // stays.
    steps.removePackageCopyFiles();
    // What start-up wrote for a wallpaper that was never installed goes with the folder this run
    // made; a folder that was there before is never touched.
    if (state_.folderWasCreated != 0 && !state_.installationKept) steps.deleteWallpaperFolder();
    // The Active Desktop that the Flash player step switched off is the user's again when this
    // run installed nothing.
    if (!state_.installationKept) steps.restoreActiveDesktop();
    return installerExitCode(startupCode_, state_.installed, state_.installResult);
}

}  // namespace velumar::app
