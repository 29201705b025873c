// A stand-in in-process server for the Active Desktop object, for the end-to-end runs only:
// registered per user under CLSID_ActiveDesktop while a test runs, it appends one line per call
// (with its arguments) to the file named by VELUMAR_AD_LOG. Nothing is logged without it. The
// desktop starts on, with the wallpaper named by VELUMAR_AD_WALLPAPER (none when it is unset).
#include "util/recording_active_desktop_win32.h"

namespace {

using velumar::testing::RecordingActiveDesktop;
using velumar::testing::RecordingDesktopFactory;

// One line, appended; each call opens and closes the file so that every line is on disk as
// soon as the call returns.
void logLine(const std::string& line) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VELUMAR_AD_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

RecordingDesktopFactory gFactory(logLine);

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t wallpaper[MAX_PATH + 1] = {};
        const DWORD length =
            ::GetEnvironmentVariableW(L"VELUMAR_AD_WALLPAPER", wallpaper, MAX_PATH);
        if (length > 0 && length < MAX_PATH) RecordingActiveDesktop::state.wallpaper = wallpaper;
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_ActiveDesktop) return CLASS_E_CLASSNOTAVAILABLE;
    return gFactory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return RecordingActiveDesktop::objects == 0 && RecordingDesktopFactory::locks == 0 ? S_OK
                                                                                       : S_FALSE;
}
