// The Flash player step of start-up (Win32 build only): is the installed Shockwave Flash
// control recent enough; if not, delete it (asking the user to close the programs that hold
// it), run the packaged "flashax.exe /Q" and wait until the control can be created and answers.
#ifndef VELUMAR_DESKTOP_FLASH_PLAYER_WIN32_H
#define VELUMAR_DESKTOP_FLASH_PLAYER_WIN32_H

#include <windows.h>

#include <string>

#include "desktop/flash_player.h"

namespace velumar::desktop {

// The windows the step uses: the message box with Continue and Cancel and the preparing window.
class FlashPlayerPrompt {
  public:
    virtual ~FlashPlayerPrompt() = default;

    // Shows the box "Please exit all applications ..." (non-modal, on top).
    virtual void showExitApplicationsBox() = 0;
    // Resets the answer to 0 and waits, letting messages through, until it is not 0: 1 for
    // Continue, 2 for Cancel.
    virtual int waitForAnswer() = 0;
    virtual void hideExitApplicationsBox() = 0;
    virtual void showPreparingWindow() = 0;
    virtual void parkPreparingWindow() = 0;
    virtual void processMessages() = 0;
    // The owner of the started installer, and bringing the application to the front after it.
    virtual HWND applicationWindow() = 0;
    virtual void bringApplicationToFront() = 0;
};

class FlashPlayerStep {
  public:
    // Folders end in "\". version is the installer window's record of the player's version.
    FlashPlayerStep(std::string systemFolder, std::string windowsFolder, FlashPlayerPrompt& prompt,
                    FlashPlayerVersion& version, bool silent, FlashPlayerWait wait = {});

    void readFlashPlayerVersion();
    bool flashPlayerNeedsUpdate(bool strict);
    // True when a control file exists and could not be deleted.
    bool removeFlashControlFile();
    ErrorCode installFlashPlayer();
    ErrorCode runFlashInstaller();
    // True when the control could be created and answered its version question.
    bool waitForFlashPlayer();

  private:
    std::string controlFileInUse() const;
    bool askUntilUnlocked();

    std::string systemFolder_;
    std::string windowsFolder_;
    FlashPlayerPrompt& prompt_;
    FlashPlayerVersion& version_;
    bool silent_;
    FlashPlayerWait wait_;
};

}  // namespace velumar::desktop

#endif
