// The Windows version classification: which of the six systems the installer knows it runs on.
#ifndef VELUMAR_UTIL_WINDOWS_VERSION_H
#define VELUMAR_UTIL_WINDOWS_VERSION_H

#include <cstdint>

namespace velumar {

// At most one flag is set; none when the system is not one of the six (or cannot be asked).
struct WindowsVersionFlags {
    bool windows95 = false;
    bool windows98 = false;
    bool windowsMe = false;
    bool windowsNt = false;
    bool windows2000 = false;
    bool windowsXp = false;

    // Windows 95, 98 or ME: the systems whose uninstall entry wants a short (8.3) path.
    bool isWindows9x() const { return windows95 || windows98 || windowsMe; }

    friend bool operator==(const WindowsVersionFlags&, const WindowsVersionFlags&) = default;
};

// Platform ids as GetVersionEx reports them.
inline constexpr std::uint32_t kPlatformWin32Windows = 1;
inline constexpr std::uint32_t kPlatformWin32Nt = 2;

// Platform 1: 4.0 is 95, 4.10 is 98, 4.90 is ME. Platform 2: major 4 or less is NT,
// 5.0 is 2000, 5.1 is XP. Everything else (Vista and later included) sets no flag.
WindowsVersionFlags classifyWindowsVersion(std::uint32_t platformId, std::uint32_t major,
                                           std::uint32_t minor);

}  // namespace velumar

#endif
