// The system's text for an error code (Win32 build only).
#ifndef VELUMAR_UTIL_ERROR_TEXT_WIN32_H
#define VELUMAR_UTIL_ERROR_TEXT_WIN32_H

#include <cstdint>
#include <string>

namespace velumar {

// FormatMessageA's text for code, trimmed as trimSystemErrorText does ("Access is denied" for
// 5). Empty when the system has no text, and always for the program's own negative codes.
std::string systemErrorText(std::int32_t code);

// The system's code for the failure just met, never 0: GetLastError(), and ERROR_GEN_FAILURE
// when a call failed without setting the last error, so that it still reads as a failure. Every
// failed system call whose code the installer keeps or shows takes it here.
std::int32_t lastErrorCode();

}  // namespace velumar

#endif
