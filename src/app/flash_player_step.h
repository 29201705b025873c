// The Flash player step of start-up (Win32 build only): is the installed player recent enough,
// install the packaged one when it is not, and wait until the control can be created. The real
// check (file versions, the message box and the preparing window, "flashax.exe /Q") replaces
// flash_player_pending.cpp, which reports an up-to-date, usable player.
#ifndef VELUMAR_APP_FLASH_PLAYER_STEP_H
#define VELUMAR_APP_FLASH_PLAYER_STEP_H

#include "package/error_codes.h"

namespace velumar::app {

class TkvrMessageBox;
class TpreparingInstallWnd;

struct FlashPlayerWindows {
    TkvrMessageBox& messageBox;
    TpreparingInstallWnd& preparingWindow;
    bool silent = false;
};

bool flashPlayerNeedsUpdate();
package::ErrorCode installFlashPlayer(FlashPlayerWindows& windows);
bool waitForFlashPlayer();

}  // namespace velumar::app

#endif
