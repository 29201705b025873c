// The Flash player check's portable part: its codes, the files it looks at, the version rule and
// the waits' bounds.
//
// Its codes (all in util/error_codes.h):
//
// | Code  | Meaning                                                                        |
// |-------|--------------------------------------------------------------------------------|
// | 0     | player present and usable (or installed and usable)                            |
// | 409   | the user chose Cancel in the box that asks to exit all applications            |
// | -402  | the control was not created and answering its version within its time (30 s,   |
// |       | after the player's installer ended, or at once with the player up to date);    |
// |       | or the player's installer was still running when its own time (5 minutes) ran  |
// |       | out or the user ended the wait                                                 |
// | -401  | "flashax.exe" is missing from the Windows folder, or is not the file start-up  |
// |       | wrote there and holds (a slot 2 of another name): nothing else is ever run      |
// | -32   | the control file could no longer be moved when the installer was to run        |
// | > 0   | the system's code for the installer that could not be started (CreateProcess)  |
// | -7    | the installer could not be started and the system gave no code for it          |
//
// The user's old control files, moved aside for the update, come back whenever the step fails,
// except when the player's installer is still running at the end (-402): they then stay beside
// the control under their ".old" names, so that the installer's control is not written over them.
#ifndef VELUMAR_DESKTOP_FLASH_PLAYER_H
#define VELUMAR_DESKTOP_FLASH_PLAYER_H

#include <cstdint>
#include <string>
#include <string_view>

#include "package/package_header.h"
#include "util/error_codes.h"

namespace velumar::desktop {

// Under the system folder, looked for in this order.
inline constexpr std::string_view kFlashControlFile = "Macromed\\Flash\\Flash.ocx";
inline constexpr std::string_view kOldFlashControlFile = "Macromed\\Flash\\swflash.ocx";
// Moved aside before anything else when an update is needed (the name as the old players wrote
// it).
inline constexpr std::string_view kOldFlashControlUpperCase = "MACROMED\\FLASH\\SWFLASH.OCX";
// Under the Windows folder, and its one argument.
inline constexpr std::string_view kFlashInstallerFile = package::kFlashInstallerFileName;
inline constexpr std::string_view kFlashInstallerArguments = "/Q";

// The major version and the third version number of the control file; 0 each when it is
// missing or unreadable.
struct FlashPlayerVersion {
    std::int32_t major = 0;
    std::int32_t build = 0;
};

// The oldest player accepted is 6.x.47: below major 6, or (strict) major 6 below build 47.
bool playerNeedsUpdate(const FlashPlayerVersion& version, bool strict) noexcept;

// The step's code for an installer that could not be started: the system's code for it, never
// 0 (-7 when the system gave none).
ErrorCode installerStartFailure(std::uint32_t systemCode) noexcept;

// The waits of the step, each with an end. The player's installer is waited for until its own
// process ends, for at most installerMilliseconds: five minutes, where the player's installer
// of the time copies a megabyte or two and registers one control in well under a minute even on
// a Pentium with a slow disk, so that only an installer that hangs (or waits for an answer no
// one can give, as in the silent kind) reaches it. Then the control is tried once a second
// for at most controlMilliseconds (half a minute, also when the player was found up to date):
// an installer that has ended and left no control that can be created will not make one later.
// The window kinds also end either wait at once at the user's request. Tests may go faster.
struct FlashPlayerWait {
    int attempts = 10000;
    unsigned sleepMilliseconds = 1000;
    unsigned controlMilliseconds = 30000;
    unsigned installerMilliseconds = 5 * 60 * 1000;
};

// The name an old control file is moved to while its replacement is installed: beside it, with
// ".old" (and a number from the second on) added, so that the move never leaves its volume.
std::string asideName(const std::string& path, int number);

}  // namespace velumar::desktop

#endif
