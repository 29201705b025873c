#include "app/install_runs.h"

#include "app/fInstall.h"
#include "app/installer_state.h"
#include "desktop/install_driver.h"
#include "desktop/install_steps_win32.h"
#include "package/extract_win32.h"
#include "util/dialogs_win32.h"

namespace velumar::app {

void runInstallButton(TInstallerForm& form) {
    InstallerState& state = installerState();
    desktop::Win32InstallSteps steps(form, state);
    const desktop::InstallButtonOutcome outcome = desktop::installBtnClick(form, steps, state);
    state.installationKept = steps.installationKept();
    // A failed run keeps the window with its failure text; Cancel then ends the installer.
    if (outcome == desktop::InstallButtonOutcome::closeWindow) form.close();
}

velumar::ErrorCode runSilentInstall(TInstallerForm& form) {
    InstallerState& state = installerState();
    desktop::Win32InstallSteps steps(form, state);
    const velumar::ErrorCode result = desktop::runSilentInstall(form, steps);
    state.installed = result == velumar::kOk;
    state.installationKept = steps.installationKept();
    state.installResult = result;
    return result;
}

// ----- the window as the install driver sees it -----

void TInstallerForm::reportInstallError(velumar::ErrorCode code, const std::string& text) {
    package::reportInstallError(code, text);
}

void TInstallerForm::showErrorDialog(const std::string& message) {
    velumar::showErrorDialog(message);
}

void TInstallerForm::showInformationDialog(const std::string& message) {
    velumar::showInformationDialog(message);
}

bool TInstallerForm::cancelRequested() const {
    return installerState().cancelRequest;
}

bool TInstallerForm::busy() const {
    return installerState().busy;
}

void TInstallerForm::setBusy(bool busy) {
    installerState().busy = busy;
}

bool TInstallerForm::confirmOverwrite(const std::string& text) {
    return desktop::confirmOverwriteBox(handle(), text);
}

bool TInstallerForm::askOpenDisplayProperties() {
    return desktop::successBox(handle());
}

void TInstallerForm::bringToFront() {
    if (!handle()) return;
    ::BringWindowToTop(handle());
    ::SetForegroundWindow(handle());
}

void TInstallerForm::minimise() {
    if (package::showsWindow(windowKind_) && handle()) ::ShowWindow(handle(), SW_MINIMIZE);
}

}  // namespace velumar::app
