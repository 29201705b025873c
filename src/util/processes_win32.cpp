#include "util/processes_win32.h"

#include "util/handles_win32.h"
#include "util/paths.h"

namespace velumar {

KernelHandle startProgram(const std::string& program, const std::string& arguments,
                          const std::string& workingFolder, WORD show) {
    std::string commandLine = quotedCommandLine(program, arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                          &started)) {
        return {};
    }
    const KernelHandle thread(started.hThread);
    return KernelHandle(started.hProcess);
}

}  // namespace velumar
