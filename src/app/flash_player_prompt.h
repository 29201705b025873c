// The Flash player step's windows (Win32 build only): the message box and the preparing window
// as the desktop subsystem's step asks for them.
#ifndef VELUMAR_APP_FLASH_PLAYER_PROMPT_H
#define VELUMAR_APP_FLASH_PLAYER_PROMPT_H

#include "desktop/flash_player_win32.h"

namespace velumar::app {

class TkvrMessageBox;
class TpreparingInstallWnd;

class FlashPlayerPromptWindows final : public desktop::FlashPlayerPrompt {
  public:
    FlashPlayerPromptWindows(TkvrMessageBox& messageBox,
                             TpreparingInstallWnd& preparingWindow) noexcept
        : messageBox_(messageBox), preparingWindow_(preparingWindow) {}

    void showExitApplicationsBox() override;
    int waitForAnswer() override;
    void hideExitApplicationsBox() override;
    void showPreparingWindow() override;
    void parkPreparingWindow() override;
    void processMessages() override;
    bool pauseLettingMessagesThrough(unsigned milliseconds) override;
    WaitEnd waitLettingMessagesThrough(HANDLE object, unsigned milliseconds) override;
    void bringApplicationToFront() override;

  private:
    TkvrMessageBox& messageBox_;
    TpreparingInstallWnd& preparingWindow_;
};

}  // namespace velumar::app

#endif
