#include "desktop/flash_player_win32.h"

#include <objbase.h>

#include <utility>

#include "desktop/active_desktop_win32.h"
#include "flash/ShockwaveFlashObjects_TLB_win32.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/processes_win32.h"
#include "util/system_calls_win32.h"
#include "util/windows_version_win32.h"

namespace velumar::desktop {

namespace {
constexpr int kContinue = 1;

// The path with its last part spelt as the file system has it: a file looked for under another
// spelling goes back under its own name.
std::string spelledAsOnDisk(const std::string& path) {
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return path;
    ::FindClose(search);
    const std::size_t slash = path.find_last_of('\\');
    return path.substr(0, slash == std::string::npos ? 0 : slash + 1) + found.cFileName;
}

}  // namespace

FlashPlayerStep::FlashPlayerStep(std::string systemFolder, std::string windowsFolder,
                                 FlashPlayerPrompt& prompt, FlashPlayerVersion& version,
                                 bool silent, FlashPlayerWait wait)
    : systemFolder_(std::move(systemFolder)),
      windowsFolder_(std::move(windowsFolder)),
      prompt_(prompt),
      version_(version),
      silent_(silent),
      wait_(wait) {}

namespace {

// A name beside path that is free: an earlier run that was ended from outside may have left its
// own. Empty when there is none.
std::string freeAsideName(const std::string& path) {
    constexpr int kNames = 100;
    for (int number = 0; number < kNames; ++number) {
        std::string aside = asideName(path, number);
        if (!fileExists(aside)) return aside;
    }
    return {};
}

}  // namespace

bool ControlFilesAside::moveAside(const std::string& path) {
    if (!fileExists(path)) return true;
    const std::string aside = freeAsideName(path);
    if (aside.empty() || !::MoveFileA(path.c_str(), aside.c_str())) return false;
    moved_.emplace_back(path, aside);
    return true;
}

// The file an installer wrote in the old one's place may be loaded (the wait tried to create
// its control): it cannot be deleted then, but it can be moved out of the way, and is deleted
// from there when it can be.
void ControlFilesAside::putBack() {
    if (!moved_.empty()) sys::coFreeUnusedLibraries();
    while (!moved_.empty()) {
        const auto [place, aside] = moved_.back();
        moved_.pop_back();
        if (fileExists(place) && !::DeleteFileA(place.c_str())) {
            const std::string outOfTheWay = freeAsideName(place);
            if (!outOfTheWay.empty() && ::MoveFileA(place.c_str(), outOfTheWay.c_str()))
                ::DeleteFileA(outOfTheWay.c_str());
        }
        ::MoveFileA(aside.c_str(), place.c_str());
    }
}

void ControlFilesAside::discard() {
    for (const auto& [place, aside] : moved_) ::DeleteFileA(aside.c_str());
    moved_.clear();
}

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

// Moved aside, not deleted: the player stays whole until its replacement answers. A file that
// cannot be moved is held by a running program, as one that cannot be deleted would be.
bool FlashPlayerStep::removeFlashControlFile() {
    const std::string control = controlFileInUse();
    if (control.empty()) return false;
    return !aside_.moveAside(control);
}

// What it changes is recorded the first time, to be put back when the run installs nothing.
void FlashPlayerStep::switchActiveDesktopOff() {
    if (!desktopBefore_) desktopBefore_ = recordActiveDesktop();
    disableActiveDesktop();
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
            if (locked) switchActiveDesktopOff();
        } else {
            goOn = false;
        }
    }
    if (shown) ::SetCursor(remembered);
    return goOn;
}

// The old control files go back unless the new control answered. When the step ends while the
// player's installer is still running (its time ran out, or the user ended the wait), it is
// left to finish: stopping an installer halfway could leave a player registered with half its
// files. Its control would then be written over the old files put back; so they are left
// where they were moved, beside the control under their ".old" names, where nothing of the
// user's is lost and the installer's control, when it comes, is the one in place.
ErrorCode FlashPlayerStep::installFlashPlayer() {
    if (!flashPlayerNeedsUpdate(true)) return velumar::kOk;
    aside_.moveAside(spelledAsOnDisk(systemFolder_ + std::string(kOldFlashControlUpperCase)));
    ErrorCode result = kFlashStepCancelled;
    if (askUntilUnlocked()) {
        prompt_.processMessages();
        prompt_.hideExitApplicationsBox();
        if (!silent_) {
            prompt_.showPreparingWindow();
            prompt_.processMessages();
        }
        result = runFlashInstaller();
        if (result == velumar::kOk && !waitForFlashInstaller()) result = kFlashControlUnusable;
    }
    if (result == velumar::kOk && !waitForFlashPlayer()) result = kFlashControlUnusable;
    if (result == velumar::kOk) {
        aside_.discard();
    } else if (flashInstallerRunning()) {
        aside_.leaveAside();
    } else {
        aside_.putBack();
    }
    installerProcess_.reset();
    prompt_.parkPreparingWindow();
    prompt_.processMessages();
    return result;
}

// By its full path, quoted on its command line, hidden, with the system folder as its working
// folder: it does not inherit the installer's, often a download folder, from which it would
// load libraries. Start-up holds the file, checked to be the package's, without write or
// delete sharing until this has started it.
ErrorCode FlashPlayerStep::runFlashInstaller() {
    if (removeFlashControlFile()) return kFileBusy;
    const std::string installer = windowsFolder_ + std::string(kFlashInstallerFile);
    if (!checkedInstaller_ || !fileExists(installer)) return kFlashInstallerMissing;
    const FileHandle held = std::move(checkedInstaller_);
    installerProcess_ =
        startProgram(installer, std::string(kFlashInstallerArguments), systemFolder_, SW_HIDE);
    if (!installerProcess_)
        return installerStartFailure(static_cast<std::uint32_t>(lastErrorCode()));
    prompt_.bringApplicationToFront();
    return velumar::kOk;
}

// False when the installer's time ran out or the user ended the wait before it ended.
bool FlashPlayerStep::waitForFlashInstaller() {
    if (!installerProcess_) return true;
    return prompt_.waitLettingMessagesThrough(installerProcess_.get(),
                                              wait_.installerMilliseconds) ==
           FlashPlayerPrompt::WaitEnd::signalled;
}

bool FlashPlayerStep::flashInstallerRunning() const {
    return installerProcess_ && ::WaitForSingleObject(installerProcess_.get(), 0) == WAIT_TIMEOUT;
}

// One attempt a second, the messages let through in between so that the windows stay alive.
// The loop ends as soon as a control exists, even when it did not answer, after its time (half
// a minute), or when the user ends it from the preparing window.
bool FlashPlayerStep::waitForFlashPlayer() {
    const DWORD started = ::GetTickCount();
    bool ok = false;
    bool created = false;
    for (int attempts = 0; attempts < wait_.attempts && !created; ++attempts) {
        if (!prompt_.pauseLettingMessagesThrough(wait_.sleepMilliseconds)) break;
        {
            flash::TShockwaveFlashMX control(nullptr);
            if (SUCCEEDED(control.create())) {
                created = true;
                long version = 0;
                ok = SUCCEEDED(control.flashVersion(version));
            }
        }
        if (::GetTickCount() - started >= wait_.controlMilliseconds) break;
    }
    return ok;
}

}  // namespace velumar::desktop
