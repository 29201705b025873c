#include "desktop/flash_player_win32.h"

#include <shellapi.h>

#include <utility>

#include "desktop/active_desktop_win32.h"
#include "flash/ShockwaveFlashObjects_TLB_win32.h"
#include "util/files_win32.h"
#include "util/windows_version_win32.h"

namespace velumar::desktop {

namespace {
constexpr int kContinue = 1;
}  // namespace

FlashPlayerStep::FlashPlayerStep(std::string systemFolder, std::string windowsFolder,
                                 FlashPlayerPrompt& prompt, FlashPlayerVersion& version, bool silent,
                                 FlashPlayerWait wait)
    : systemFolder_(std::move(systemFolder)),
      windowsFolder_(std::move(windowsFolder)),
      prompt_(prompt),
      version_(version),
      silent_(silent),
      wait_(wait) {}

// Flash.ocx when it exists, else swflash.ocx when that exists, else none.
std::string FlashPlayerStep::controlFileInUse() const {
    const std::string current = systemFolder_ + std::string(kFlashControlFile);
    if (fileExists(current)) return current;
    const std::string old = systemFolder_ + std::string(kOldFlashControlFile);
    if (fileExists(old)) return old;
    return {};
}

void FlashPlayerStep::readFlashPlayerVersion() {
    version_ = FlashPlayerVersion{};
    const std::string control = controlFileInUse();
    if (control.empty()) return;
    int major = 0;
    int build = 0;
    if (readFileVersion(control, major, build)) version_ = {major, build};
}

bool FlashPlayerStep::flashPlayerNeedsUpdate(bool strict) {
    readFlashPlayerVersion();
    return playerNeedsUpdate(version_, strict);
}

bool FlashPlayerStep::removeFlashControlFile() {
    const std::string control = controlFileInUse();
    if (control.empty()) return false;
    ::DeleteFileA(control.c_str());
    return fileExists(control);
}

// The box comes back as long as Continue finds the file still in use; after each such Continue
// the Active Desktop is switched off, as it may be what holds the control. False for Cancel.
bool FlashPlayerStep::askUntilUnlocked() {
    bool locked = removeFlashControlFile();
    bool shown = false;
    HCURSOR remembered = nullptr;
    bool goOn = true;
    while (locked && goOn) {
        prompt_.showExitApplicationsBox();
        prompt_.processMessages();
        remembered = ::GetCursor();
        ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
        shown = true;
        if (prompt_.waitForAnswer() == kContinue) {
            locked = removeFlashControlFile();
            if (locked) disableActiveDesktop();
        } else {
            goOn = false;
        }
    }
    if (shown) ::SetCursor(remembered);
    return goOn;
}

ErrorCode FlashPlayerStep::installFlashPlayer() {
    if (!flashPlayerNeedsUpdate(true)) return package::kOk;
    const std::string oldControl = systemFolder_ + std::string(kOldFlashControlUpperCase);
    if (fileExists(oldControl)) ::DeleteFileA(oldControl.c_str());
    ErrorCode result = kFlashStepCancelled;
    if (askUntilUnlocked()) {
        prompt_.processMessages();
        prompt_.hideExitApplicationsBox();
        if (!silent_) {
            prompt_.showPreparingWindow();
            prompt_.processMessages();
        }
        result = runFlashInstaller();
    }
    if (result == package::kOk && !waitForFlashPlayer()) result = kFlashControlUnusable;
    prompt_.parkPreparingWindow();
    prompt_.processMessages();
    return result;
}

// Started by its full path and not waited for: the wait for the control follows.
ErrorCode FlashPlayerStep::runFlashInstaller() {
    if (removeFlashControlFile()) return kFlashControlLocked;
    const std::string installer = windowsFolder_ + std::string(kFlashInstallerFile);
    if (!fileExists(installer)) return kFlashInstallerMissing;
    const HINSTANCE started =
        ::ShellExecuteA(prompt_.applicationWindow(), nullptr, installer.c_str(),
                        std::string(kFlashInstallerArguments).c_str(), nullptr, SW_HIDE);
    prompt_.bringApplicationToFront();
    return shellStartResult(reinterpret_cast<std::intptr_t>(started));
}

// The messages are not let through here: the wait blocks with its sleeps. The loop ends as soon
// as a control exists, even when it did not answer.
bool FlashPlayerStep::waitForFlashPlayer() {
    bool ok = false;
    bool created = false;
    for (int attempts = 0; attempts < wait_.attempts && !created; ++attempts) {
        ::Sleep(wait_.sleepMilliseconds);
        flash::TShockwaveFlashMX control(nullptr);
        if (FAILED(control.create())) continue;
        created = true;
        long version = 0;
        ok = SUCCEEDED(control.flashVersion(version));
    }
    return ok;
}

}  // namespace velumar::desktop
