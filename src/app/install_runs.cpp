#include "app/install_runs.h"

#include "app/fInstall.h"
#include "desktop/install_driver.h"
#include "desktop/install_steps_win32.h"

namespace velumar::app {

void runInstallButton(TInstallerForm& form, desktop::InstallerState& state) {
    desktop::Win32InstallSteps steps(form, state);
    const desktop::InstallButtonOutcome outcome = desktop::installBtnClick(form, steps, state);
    state.installationKept = steps.installationKept();
    // A failed run keeps the window with its failure text; Cancel then ends the installer.
    if (outcome == desktop::InstallButtonOutcome::closeWindow) form.close();
}

velumar::ErrorCode runSilentInstall(TInstallerForm& form, desktop::InstallerState& state) {
    desktop::Win32InstallSteps steps(form, state);
    const velumar::ErrorCode result = desktop::runSilentInstall(form, steps);
    state.installed = result == velumar::kOk;
    state.installationKept = steps.installationKept();
    state.installResult = result;
    return result;
}

}  // namespace velumar::app
