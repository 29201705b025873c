#include "app/install_driver.h"

namespace velumar::app {

void runInstallButton(TInstallerForm&) {}

package::ErrorCode runSilentInstall(TInstallerForm&) {
    return package::kOk;
}

}  // namespace velumar::app
