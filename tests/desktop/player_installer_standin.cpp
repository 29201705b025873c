// A stand-in for the Flash player's installer in the Flash player step's own tests: it writes
// how it was started (its command line, working folder and show state) to the file named by
// VELUMAR_PLAYER_LOG, runs for VELUMAR_PLAYER_MS milliseconds (none when unset) and then writes
// "new player" to the file named by VELUMAR_PLAYER_WRITES, as an installer writes its control.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string variable(const char* name) {
    char value[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

void writeFile(const std::string& path, const std::string& text) {
    if (path.empty()) return;
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    char folder[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    const bool hidden = (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_HIDE;
    writeFile(variable("VELUMAR_PLAYER_LOG"), std::string("command=") + ::GetCommandLineA() +
                                                  "\nfolder=" + folder +
                                                  "\nhidden=" + (hidden ? "yes" : "no") + "\n");
    ::Sleep(static_cast<DWORD>(std::atoi(variable("VELUMAR_PLAYER_MS").c_str())));
    writeFile(variable("VELUMAR_PLAYER_WRITES"), "new player");
    return 0;
}
