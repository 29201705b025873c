#include <windows.h>

#include <random>

#include "child_process.h"

namespace velpack {

namespace {

// One argument as the C run-time's parser splits a command line again.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

ProcessRun runProgram(const std::vector<std::string>& arguments, const fs::path& output) {
    ProcessRun run;
    std::string commandLine;
    for (const std::string& argument : arguments)
        commandLine += (commandLine.empty() ? "" : " ") + quoted(argument);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const HANDLE file = ::CreateFileA(output.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE nothing = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherit, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE || nothing == INVALID_HANDLE_VALUE) {
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        if (nothing != INVALID_HANDLE_VALUE) ::CloseHandle(nothing);
        run.failure = "cannot open " + output.string();
        return run;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION process = {};
    const BOOL started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    ::CloseHandle(file);
    ::CloseHandle(nothing);
    if (!started) {
        run.failure = "cannot start it (error " + std::to_string(::GetLastError()) + ")";
        return run;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    run.exitCode = static_cast<int>(code);
    return run;
}

fs::path makeTemporaryFolder(const std::string& stem) {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) return {};
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path folder = base / (stem + "-" + std::to_string(random()));
        if (fs::create_directory(folder, error)) return folder;
    }
    return {};
}

}  // namespace velpack
