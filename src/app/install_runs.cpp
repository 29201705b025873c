#include "app/install_runs.h"

#include "app/fInstall.h"
#include "app/install_ui_adapter.h"
#include "app/installer_state.h"
#include "desktop/install_driver.h"
#include "desktop/install_steps_win32.h"

namespace velumar::app {

void runInstallButton(TInstallerForm& form) {
    InstallUiAdapter ui(form);
    const desktop::InstallContext context = makeInstallContext(form);
    desktop::Win32InstallSteps steps(ui, context);
    const desktop::InstallButtonOutcome outcome = desktop::installBtnClick(ui, steps, context);
    // A failed run keeps the window with its failure text; Cancel then ends the installer.
    if (outcome == desktop::InstallButtonOutcome::closeWindow) {
        installerState().installed = !installerState().cancelRequest;
        form.close();
    }
}

package::ErrorCode runSilentInstall(TInstallerForm& form) {
    InstallUiAdapter ui(form);
    const desktop::InstallContext context = makeInstallContext(form);
    desktop::Win32InstallSteps steps(ui, context);
    const package::ErrorCode result = desktop::runSilentInstall(ui, steps);
    installerState().installed = result == package::kOk;
    return result;
}

}  // namespace velumar::app
