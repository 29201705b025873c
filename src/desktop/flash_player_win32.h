// The Flash player step of start-up (Win32 build only): is the installed Shockwave Flash
// control recent enough; if not, move its files aside (asking the user to close the programs
// that hold them), run the packaged "flashax.exe /Q", wait for its process to end and then until
// the control can be created and answers, each wait bounded (flash_player.h). The old files are
// deleted only once the new control answers; an update that fails or is cancelled puts them
// back, unless the player's installer is still running then (see installFlashPlayer).
#ifndef VELUMAR_DESKTOP_FLASH_PLAYER_WIN32_H
#define VELUMAR_DESKTOP_FLASH_PLAYER_WIN32_H

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "desktop/active_desktop_win32.h"
#include "desktop/flash_player.h"
#include "util/handles_win32.h"

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
    // Lets messages through for that long (the windows are repainted and answer meanwhile);
    // false, at once, when the user ended the wait with the preparing window's close box or
    // Escape, or the application is ending.
    virtual bool pauseLettingMessagesThrough(unsigned milliseconds) = 0;
    // Lets messages through until the object is signalled or that much time has passed; ends
    // at once, as the pause does, at the user's request.
    enum class WaitEnd { signalled, timedOut, endRequested };
    virtual WaitEnd waitLettingMessagesThrough(HANDLE object, unsigned milliseconds) = 0;
    // Brings the application to the front after the installer was started.
    virtual void bringApplicationToFront() = 0;
};

// The user's control files, moved aside in their own folder while the new player is
// installed. Whatever is still aside when this ends is put back.
class ControlFilesAside {
  public:
    ControlFilesAside() = default;
    ~ControlFilesAside() { putBack(); }
    ControlFilesAside(const ControlFilesAside&) = delete;
    ControlFilesAside& operator=(const ControlFilesAside&) = delete;

    // True when the file is gone from its place (moved aside, or not there at all).
    bool moveAside(const std::string& path);
    // Each file back at its place, replacing what an installer may have written there since; a
    // file that cannot go back stays aside rather than being lost.
    void putBack();
    // The new control answers: the old files are no longer needed.
    void discard();
    // The files stay where they were moved to, under their aside names, and are no longer
    // put back: a player's installer that is still running would write over them.
    void leaveAside() noexcept { moved_.clear(); }

  private:
    std::vector<std::pair<std::string, std::string>> moved_;  // place, aside
};

class FlashPlayerStep {
  public:
    // Folders end in "\". version is the installer window's record of the player's version.
    FlashPlayerStep(std::string systemFolder, std::string windowsFolder, FlashPlayerPrompt& prompt,
                    FlashPlayerVersion& version, bool silent, FlashPlayerWait wait = {});

    // "flashax.exe" as start-up wrote it and checked it to be the package's, held without write
    // or delete sharing; the step starts only that file, and releases it once started. Without
    // it the installer counts as missing (-401), whatever the Windows folder holds.
    void holdCheckedInstaller(FileHandle installer) noexcept {
        checkedInstaller_ = std::move(installer);
    }

    void readFlashPlayerVersion();
    bool flashPlayerNeedsUpdate(bool strict);
    // True when a control file exists and could not be moved aside.
    bool removeFlashControlFile();
    ErrorCode installFlashPlayer();
    // Starts the installer; its process is kept for the wait that follows.
    ErrorCode runFlashInstaller();
    // True when the control could be created and answered its version question.
    bool waitForFlashPlayer();

    // The Active Desktop as it was before the step first switched it off; nothing when it
    // never did. Whoever ends the run without installing puts it back.
    const std::optional<ActiveDesktopState>& activeDesktopBefore() const noexcept {
        return desktopBefore_;
    }

  private:
    std::string controlFileInUse() const;
    bool askUntilUnlocked();
    void switchActiveDesktopOff();
    bool waitForFlashInstaller();
    bool flashInstallerRunning() const;

    std::string systemFolder_;
    std::string windowsFolder_;
    FlashPlayerPrompt& prompt_;
    FlashPlayerVersion& version_;
    bool silent_;
    FlashPlayerWait wait_;
    ControlFilesAside aside_;
    FileHandle checkedInstaller_;
    KernelHandle installerProcess_;
    std::optional<ActiveDesktopState> desktopBefore_;
};

}  // namespace velumar::desktop

#endif
