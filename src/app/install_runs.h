// Where the installer window hands over to the install driver (Win32 build only): the Install
// button and the silent kind's installation. The driver itself (overwrite question, writing
// slots 5/6 to 9/10 with progress, the data file, the Active Desktop set-up, the uninstall
// entry, clean-up and the final state) lives in the desktop subsystem (desktop/install_driver);
// these runs drive it over the window, which is the driver's InstallUi, and the run's state.
#ifndef VELUMAR_APP_INSTALL_RUNS_H
#define VELUMAR_APP_INSTALL_RUNS_H

#include "desktop/install_ui.h"

namespace velumar::app {

class TInstallerForm;

// The Install button's handler body (the form has already ignored a press while busy).
void runInstallButton(TInstallerForm& form, desktop::InstallerState& state);

// The silent kind's installation at start-up: runInstallation, then openDisplayProperties when
// it returns 0. Its code is not used by start-up.
velumar::ErrorCode runSilentInstall(TInstallerForm& form, desktop::InstallerState& state);

}  // namespace velumar::app

#endif
