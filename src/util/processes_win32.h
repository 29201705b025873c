// Starting other programs (Win32 build only).
#ifndef VELUMAR_UTIL_PROCESSES_WIN32_H
#define VELUMAR_UTIL_PROCESSES_WIN32_H

#include <windows.h>

#include <string>

#include "util/handles_win32.h"

namespace velumar {

// Starts program, a full path, with arguments and workingFolder as its current folder, its
// window shown as show; it is not waited for. The program is named twice: as the application
// CreateProcessA runs and, quoted, at the head of its command line. A program started without
// a working folder of its own would inherit this one's, and load libraries from it. False when
// it could not be started; GetLastError() then tells why. The process's handle, for a caller
// that waits for it (empty when it could not be started).
KernelHandle startProgram(const std::string& program, const std::string& arguments,
                          const std::string& workingFolder, WORD show = SW_SHOWNORMAL);

}  // namespace velumar

#endif
