// Stands in for a package's uninstall.exe: records its arguments and its working folder in
// uninstaller-record.txt beside itself, one per line.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    char program[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string record(program, length);
    record = record.substr(0, record.find_last_of('\\') + 1) + "uninstaller-record.txt";
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) arguments += ' ';
        arguments += argv[i];
    }
    char folder[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string text = arguments + "\n" + folder + "\n";
    HANDLE file = ::CreateFileA(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
