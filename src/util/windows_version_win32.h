// Asking the running system for its version and reading a file's version (Win32 build only).
#ifndef VELUMAR_UTIL_WINDOWS_VERSION_WIN32_H
#define VELUMAR_UTIL_WINDOWS_VERSION_WIN32_H

#include <string>

#include "util/windows_version.h"

namespace velumar {

// GetVersionExA classified by classifyWindowsVersion; no flag when the call fails.
WindowsVersionFlags windowsVersionFlags();

// The file's major version and its third version field (6 and 47 for 6.0.47.0). When the file
// has no readable version resource the variables keep their values and the result is false.
bool readFileVersion(const std::string& path, int& major, int& third);

}  // namespace velumar

#endif
