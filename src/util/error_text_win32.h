// The system's text for an error code (Win32 build only).
#ifndef VELUMAR_UTIL_ERROR_TEXT_WIN32_H
#define VELUMAR_UTIL_ERROR_TEXT_WIN32_H

#include <cstdint>
#include <string>

namespace velumar {

// FormatMessageA's text for code, trimmed as trimSystemErrorText does ("Access is denied" for
// 5). Empty when the system has no text, and always for the program's own negative codes.
std::string systemErrorText(std::int32_t code);

// GetLastError() as an error code, never 0: a call that failed without setting the last error
// still reads as a failure (ERROR_GEN_FAILURE).
std::int32_t lastErrorCode();

}  // namespace velumar

#endif
