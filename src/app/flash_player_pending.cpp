#include "app/flash_player_step.h"

namespace velumar::app {

bool flashPlayerNeedsUpdate() {
    return false;
}

package::ErrorCode installFlashPlayer(FlashPlayerWindows&) {
    return package::kOk;
}

bool waitForFlashPlayer() {
    return true;
}

}  // namespace velumar::app
