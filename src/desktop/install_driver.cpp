#include "desktop/install_driver.h"

#include "desktop/install_paths.h"
#include "package/package_rules.h"

namespace velumar::desktop {

namespace {

bool isFree(const InstallUi& ui, ErrorCode result) {
    return !ui.cancelRequested() && result == velumar::kOk;
}

}  // namespace

ErrorCode runInstallation(InstallUi& ui, InstallSteps& steps) {
    ErrorCode result = velumar::kOk;
    ErrorCode warning = velumar::kOk;
    steps.showHourglass();
    ui.showInstallStarted();
    if (!ui.cancelRequested()) steps.closeDisplayProperties();
    if (!ui.cancelRequested()) result = steps.setAsideEarlierInstallation();
    if (isFree(ui, result)) result = steps.extractInstallEntries();
    if (isFree(ui, result)) result = steps.readDataFileHeader();
    if (isFree(ui, result)) result = steps.expandDataFile();
    if (isFree(ui, result)) warning = steps.setupWallpaper();
    if (isFree(ui, result)) steps.openAfterInstallFile();
    if (isFree(ui, result)) {
        const ErrorCode code = steps.registerUninstall();
        if (warning == velumar::kOk) warning = code;
    }
    steps.deleteDataFile();
    if (ui.cancelRequested() || result != velumar::kOk) {
        steps.cleanUpInstallation();
    } else {
        steps.discardEarlierInstallation();
    }
    steps.restoreCursor();
    if (!ui.cancelRequested() && warning != velumar::kOk) result = warning;
    if (!ui.cancelRequested()) ui.showInstallResult(result);
    return result;
}

void showInstallSuccess(InstallUi& ui, InstallSteps& steps, const InstallerState& state) {
    if (!state.header.offerDisplayProperties) return;
    ui.bringToFront();
    if (!ui.askOpenDisplayProperties()) return;
    ui.minimise();
    steps.openDisplayProperties();
}

InstallButtonOutcome installBtnClick(InstallUi& ui, InstallSteps& steps, InstallerState& state) {
    if (ui.busy()) return InstallButtonOutcome::ignored;
    ui.setBusy(true);
    if (steps.wallpaperPageExists() || state.folderWasCreated == 0) {
        if (!ui.confirmOverwrite(overwriteQuestion(state.wallpaperName))) {
            ui.setBusy(false);
            return InstallButtonOutcome::declined;
        }
    }
    const ErrorCode result = runInstallation(ui, steps);
    state.installResult = result;
    state.installed = result == velumar::kOk && !ui.cancelRequested();
    if (state.installed) showInstallSuccess(ui, steps, state);
    ui.setBusy(false);
    return result == velumar::kOk ? InstallButtonOutcome::closeWindow
                                  : InstallButtonOutcome::stayOpen;
}

ErrorCode runSilentInstall(InstallUi& ui, InstallSteps& steps) {
    const ErrorCode result = runInstallation(ui, steps);
    if (result == velumar::kOk) steps.openDisplayProperties();
    return result;
}

ErrorCode extractEntriesInOrder(InstallUi& ui, const package::PackageHeader& header,
                                package::ByteSource& packageCopy, const EntryExtractor& extract) {
    ErrorCode result = velumar::kOk;
    for (const int slot : package::installEntrySlots(header)) {
        if (!isFree(ui, result)) break;
        result = extract(packageCopy, slot, true);
    }
    return result;
}

}  // namespace velumar::desktop
