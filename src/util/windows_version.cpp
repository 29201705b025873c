#include "util/windows_version.h"

namespace velumar {

WindowsVersionFlags classifyWindowsVersion(std::uint32_t platformId, std::uint32_t major,
                                           std::uint32_t minor) {
    WindowsVersionFlags flags;
    if (platformId == kPlatformWin32Windows && major == 4) {
        flags.windows95 = minor == 0;
        flags.windows98 = minor == 10;
        flags.windowsMe = minor == 90;
    } else if (platformId == kPlatformWin32Nt) {
        flags.windowsNt = major <= 4;
        flags.windows2000 = major == 5 && minor == 0;
        flags.windowsXp = major == 5 && minor == 1;
    }
    return flags;
}

}  // namespace velumar
