#include "util/system_libraries_win32.h"

#include "util/system_libraries.h"

namespace velumar {

namespace {

// -1 until asked; then 0 or 1. One thread asks.
int g_redirectionInForce = -1;

// The system folder with its final "\", in path; its length, or 0 when it does not fit.
UINT systemFolderInto(char (&path)[MAX_PATH + 1]) {
    UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    if (path[length - 1] != '\\') {
        path[length++] = '\\';
        path[length] = '\0';
    }
    return length;
}

// OSVERSIONINFOEXA, which has the service pack, is refused by 95, 98 and ME: they are asked
// with the plain record. A system that answers neither counts as honouring the redirection.
bool systemHonoursDotLocal() {
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return true;
        info.wServicePackMajor = 0;
    }
    return dotLocalRedirects(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                             info.wServicePackMajor);
}

// A program path that does not fit the buffer counts as one with a "<program>.local".
bool dotLocalBesideProgram() {
    char path[MAX_PATH + 8] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return true;
    ::lstrcpyA(path + length, ".local");
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Never freed (see SystemLibrary). No message box from the loader: a library of the system
// folder that cannot be loaded is one the program does without.
HMODULE loadFromSystemFolder(const char* name) {
    if (libraryRedirectionInForce()) return nullptr;
    char path[MAX_PATH + 1] = {};
    const UINT folder = systemFolderInto(path);
    if (folder == 0 || folder + ::lstrlenA(name) >= MAX_PATH) return nullptr;
    ::lstrcpyA(path + folder, name);
    const UINT errorMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const HMODULE module = ::LoadLibraryA(path);
    ::SetErrorMode(errorMode);
    return module;
}

}  // namespace

// With "<program>.local" in force, a load by full path, and every import of what it loads,
// may come from the program's folder: then no library is loaded at run time at all.
bool libraryRedirectionInForce() {
    if (g_redirectionInForce < 0)
        g_redirectionInForce = systemHonoursDotLocal() && dotLocalBesideProgram() ? 1 : 0;
    return g_redirectionInForce != 0;
}

void loadLibrariesOnlyFromSystemFolder() {
    char folder[MAX_PATH + 1] = {};
    if (systemFolderInto(folder) != 0) ::SetCurrentDirectoryA(folder);
    using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
    if (const auto setDllDirectory = procAddress<SetDllDirectoryFunction>(
            ::GetModuleHandleA("kernel32.dll"), "SetDllDirectoryA")) {
        setDllDirectory("");
    }
    for (const char* name : kLibrariesLoadedAtEntry) loadFromSystemFolder(name);
}

HMODULE SystemLibrary::module() noexcept {
    if (!tried_) {
        tried_ = true;
        module_ = loadFromSystemFolder(fileName_);
    }
    return module_;
}

}  // namespace velumar
