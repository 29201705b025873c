// The Flash player check's portable part: its codes, the files it looks at, the version rule and
// the wait's pace.
//
// | Code  | Meaning                                                                     |
// |-------|-----------------------------------------------------------------------------|
// | 0     | player present and usable (or installed and usable)                         |
// | 409   | the user chose Cancel in the box that asks to exit all applications         |
// | -402  | within the wait, the control was never created and answering its version   |
// | -401  | "flashax.exe" is missing from the Windows folder                            |
// | -32   | the control file could no longer be moved when the installer was to run     |
// | -7    | the shell returned 0 when asked to start the installer                      |
// | 1..32 | the shell's own error code for a failed start                               |
#ifndef VELUMAR_DESKTOP_FLASH_PLAYER_H
#define VELUMAR_DESKTOP_FLASH_PLAYER_H

#include <cstdint>
#include <string>
#include <string_view>

#include "package/error_codes.h"

namespace velumar::desktop {

using package::ErrorCode;

inline constexpr ErrorCode kFlashStepCancelled = 409;
inline constexpr ErrorCode kFlashControlUnusable = -402;
inline constexpr ErrorCode kFlashInstallerMissing = -401;
inline constexpr ErrorCode kFlashControlLocked = -32;
inline constexpr ErrorCode kShellOutOfResources = -7;

// Under the system folder, looked for in this order.
inline constexpr std::string_view kFlashControlFile = "Macromed\\Flash\\Flash.ocx";
inline constexpr std::string_view kOldFlashControlFile = "Macromed\\Flash\\swflash.ocx";
// Moved aside before anything else when an update is needed (the name as the old players wrote
// it).
inline constexpr std::string_view kOldFlashControlUpperCase = "MACROMED\\FLASH\\SWFLASH.OCX";
// Under the Windows folder, and its one argument.
inline constexpr std::string_view kFlashInstallerFile = "flashax.exe";
inline constexpr std::string_view kFlashInstallerArguments = "/Q";

// The major version and the third version number of the control file; 0 each when it is
// missing or unreadable.
struct FlashPlayerVersion {
    std::int32_t major = 0;
    std::int32_t build = 0;
};

// The oldest player accepted is 6.x.47: below major 6, or (strict) major 6 below build 47.
bool playerNeedsUpdate(const FlashPlayerVersion& version, bool strict) noexcept;

// What the shell's ShellExecute result means for the step: 0 above 32, -7 for 0, else itself.
ErrorCode shellStartResult(std::intptr_t shellResult) noexcept;

// Which wait for a usable control: with the player found up to date nothing is being
// installed, so a control that cannot be created will not become creatable by waiting; after
// the player's installer ran, the control may take as long as the installer does.
enum class PlayerWait { upToDate, afterInstaller };

// The pace of the wait for a usable control: up to 10000 attempts one second apart, the wait of
// an up-to-date player given up after about half a minute. Tests may go faster.
struct FlashPlayerWait {
    int attempts = 10000;
    unsigned sleepMilliseconds = 1000;
    unsigned upToDateMilliseconds = 30000;
};

// The name an old control file is moved to while its replacement is installed: beside it, with
// ".old" (and a number from the second on) added, so that the move never leaves its volume.
std::string asideName(const std::string& path, int number);

}  // namespace velumar::desktop

#endif
