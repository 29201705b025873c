#include "util/system_libraries.h"

#include "util/windows_version.h"

namespace velumar {

bool dotLocalRedirects(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                       std::uint32_t servicePackMajor) {
    // 98 Second Edition brought the redirection; the first edition shares its version number,
    // so 98 counts as redirecting.
    if (platformId == kPlatformWin32Windows) return major == 4 && minor >= 10;
    if (platformId != kPlatformWin32Nt) return false;
    if (major != 5) return false;
    return minor == 0 || (minor == 1 && servicePackMajor < 2);
}

}  // namespace velumar
