// The installer's state for the whole run (desktop::InstallerState), one per process, in the
// installer window's module.
#ifndef VELUMAR_APP_INSTALLER_STATE_H
#define VELUMAR_APP_INSTALLER_STATE_H

#include "desktop/install_ui.h"

namespace velumar::app {

using desktop::InstallerState;

InstallerState& installerState();

}  // namespace velumar::app

#endif
