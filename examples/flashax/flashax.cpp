// A stand-in for the Flash player installer ("flashax.exe"), for the tests and the demo only.
// Real packages carry the real player's installer in slot 2.
//
// It appends its arguments as one line to the file named by VELUMAR_FLASHAX_LOG (when set), and
// writes how it was started (its command line, working folder and whether it was asked to stay
// hidden) to the file named by VELUMAR_FLASHAX_START_LOG (when set). Started with "/Q", it waits
// a moment, as an installer would (VELUMAR_FLASHAX_DELAY milliseconds when set), then writes the
// stand-in control it carries to the system folder's "Macromed\Flash\Flash.ocx" and registers
// it under the Flash class id. It is small and uses only Win32 calls.
#include <windows.h>

#include "flash/ShockwaveFlashObjects_TLB.h"

namespace {

constexpr DWORD kInstallDelayMilliseconds = 1500;
constexpr int kControlResource = 1;

// The arguments: the command line after the program's own name.
const char* argumentsOf(const char* commandLine) {
    const char* at = commandLine;
    if (*at == '"') {
        ++at;
        while (*at && *at != '"') ++at;
        if (*at) ++at;
    } else {
        while (*at && *at != ' ') ++at;
    }
    while (*at == ' ') ++at;
    return at;
}

void recordArguments(const char* arguments) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableA("VELUMAR_FLASHAX_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, arguments, static_cast<DWORD>(::lstrlenA(arguments)), &written, nullptr);
    ::WriteFile(file, "\n", 1, &written, nullptr);
    ::CloseHandle(file);
}

// The variable's value as a number of milliseconds; fallback when it is unset.
DWORD delayOf(const char* name, DWORD fallback) {
    char text[16] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return fallback;
    DWORD value = 0;
    for (const char* at = text; *at >= '0' && *at <= '9'; ++at)
        value = value * 10 + DWORD(*at - '0');
    return value;
}

void recordStart() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableA("VELUMAR_FLASHAX_START_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    char folder[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    const bool hidden = (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_HIDE;
    const HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const char* const parts[] = {"command=",  ::GetCommandLineA(),   "\nfolder=", folder,
                                 "\nhidden=", hidden ? "yes" : "no", "\n"};
    for (const char* part : parts)
        ::WriteFile(file, part, static_cast<DWORD>(::lstrlenA(part)), &written, nullptr);
    ::CloseHandle(file);
}

bool quietRequested(const char* arguments) {
    return ::lstrcmpiA(arguments, "/Q") == 0;
}

// Writes the control carried as resource 1 to path.
bool writeControl(const char* path) {
    const HRSRC resource =
        ::FindResourceA(nullptr, MAKEINTRESOURCEA(kControlResource), MAKEINTRESOURCEA(10));
    if (!resource) return false;
    const HGLOBAL loaded = ::LoadResource(nullptr, resource);
    const DWORD size = ::SizeofResource(nullptr, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return false;
    const HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes, size, &written, nullptr) && written == size;
    ::CloseHandle(file);
    return ok;
}

void setString(HKEY key, const char* name, const char* value) {
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                     static_cast<DWORD>(::lstrlenA(value) + 1));
}

// In the machine's classes, as a player's installer registers its control.
void registerControl(const char* path) {
    char keyName[128] = "Software\\Classes\\CLSID\\";
    ::lstrcatA(keyName, velumar::flash::kFlashClassIdText);
    ::lstrcatA(keyName, "\\InprocServer32");
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    setString(key, nullptr, path);
    setString(key, "ThreadingModel", "Apartment");
    ::RegCloseKey(key);
}

void installControl() {
    char path[MAX_PATH + 64] = {};
    const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    if (path[length - 1] != '\\') ::lstrcatA(path, "\\");
    ::lstrcatA(path, "Macromed");
    ::CreateDirectoryA(path, nullptr);
    ::lstrcatA(path, "\\Flash");
    ::CreateDirectoryA(path, nullptr);
    ::lstrcatA(path, "\\Flash.ocx");
    if (writeControl(path)) registerControl(path);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* arguments = argumentsOf(::GetCommandLineA());
    recordArguments(arguments);
    recordStart();
    if (!quietRequested(arguments)) return 1;
    ::Sleep(delayOf("VELUMAR_FLASHAX_DELAY", kInstallDelayMilliseconds));
    installControl();
    return 0;
}
