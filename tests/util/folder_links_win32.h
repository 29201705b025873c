// Folder links for tests. Windows shows a junction or a directory symbolic link, Wine a Unix
// symbolic link to a folder, as a directory with FILE_ATTRIBUTE_REPARSE_POINT. Wine (8.0) offers
// no way to make such a link from the Windows side (CreateSymbolicLinkA reports success and
// does nothing) nor to remove one (RemoveDirectoryA and DeleteFileA both refuse it), so under
// Wine the links are made and removed with the host's ln and rm.
#ifndef VELUMAR_TESTS_UTIL_FOLDER_LINKS_WIN32_H
#define VELUMAR_TESTS_UTIL_FOLDER_LINKS_WIN32_H

#include <windows.h>

#include <initializer_list>
#include <string>

#include "util/handles_win32.h"

namespace velumar::testing {

namespace links_detail {

template <typename Function>
Function wineFunction(const char* name) {
    return procAddress<Function>(::GetModuleHandleA("kernel32.dll"), name);
}

inline std::string narrow(WCHAR* wide) {
    if (!wide) return {};
    std::string result;
    for (const WCHAR* c = wide; *c; ++c) result += static_cast<char>(*c);
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return result;
}

template <typename Condition>
bool waitUntil(Condition condition) {
    for (int waited = 0; waited < 300 && !condition(); ++waited) ::Sleep(100);
    return condition();
}

// Starts a host program under Wine. Wine gives back no process handle for a Unix program, so
// callers wait for its effect instead.
inline bool runHost(const std::string& program, std::initializer_list<std::string> args) {
    using DosName = WCHAR*(CDECL*)(LPCSTR);
    const auto dosName = wineFunction<DosName>("wine_get_dos_file_name");
    if (!dosName) return false;
    const std::string windowsName = narrow(dosName(program.c_str()));
    if (windowsName.empty()) return false;
    std::string command = "\"" + windowsName + "\"";
    for (const std::string& arg : args) {
        if (arg.empty()) return false;
        command += " \"" + arg + "\"";
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(windowsName.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return false;
    if (process.hProcess) ::CloseHandle(process.hProcess);
    if (process.hThread) ::CloseHandle(process.hThread);
    return true;
}

inline std::string hostName(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = wineFunction<UnixName>("wine_get_unix_file_name");
    if (!unixName) return {};
    const std::wstring wide(path.begin(), path.end());
    char* name = unixName(wide.c_str());
    if (!name) return {};
    std::string result(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

}  // namespace links_detail

inline bool isFolderLink(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

inline bool underWine() {
    return links_detail::wineFunction<void*>("wine_get_unix_file_name") != nullptr;
}

// Makes link point at target; false when this system offers no way to.
inline bool makeFolderLink(const std::string& link, const std::string& target) {
    using namespace links_detail;
    using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto create = wineFunction<CreateLink>("CreateSymbolicLinkA");
    constexpr DWORD kDirectory = 1;
    if (create && create(link.c_str(), target.c_str(), kDirectory) && isFolderLink(link))
        return true;
    return runHost("/bin/ln", {"-s", hostName(target), hostName(link)}) &&
           waitUntil([&] { return isFolderLink(link); });
}

// Removes the link itself, from the host side under Wine; true once it is gone.
inline bool removeFolderLink(const std::string& link) {
    using namespace links_detail;
    const auto gone = [&] { return ::GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; };
    if (::RemoveDirectoryA(link.c_str()) && gone()) return true;
    return runHost("/bin/rm", {hostName(link)}) && waitUntil(gone);
}

}  // namespace velumar::testing

#endif
