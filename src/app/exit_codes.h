// The installer's exit codes, for the scripts that run it (the silent kind above all):
//
//   | Code | Meaning                                                                        |
//   |------|--------------------------------------------------------------------------------|
//   | 0    | the wallpaper was installed                                                    |
//   | 1    | failed: start-up or the installation met an error, shown in its box           |
//   | 2    | cancelled: the user ended the installer without installing (Cancel or the     |
//   |      | close box, Cancel in the Flash player box, Cancel while installing)            |
//   | 3    | the installer file is damaged or cut short: nothing was written; download it   |
//   |      | again                                                                          |
#ifndef VELUMAR_APP_EXIT_CODES_H
#define VELUMAR_APP_EXIT_CODES_H

#include "util/error_codes.h"

namespace velumar::app {

inline constexpr int kExitInstalled = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitCancelled = 2;
inline constexpr int kExitDamaged = 3;

// The code for a run that ended: start-up's code, whether the wallpaper was installed, and the
// last installation's result (0 when none ran or a run was cancelled without an error).
int installerExitCode(velumar::ErrorCode startupCode, bool installed,
                      velumar::ErrorCode installResult) noexcept;

}  // namespace velumar::app

#endif
