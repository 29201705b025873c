// A hook module the end-to-end tests put into the installer's GUI thread (WH_GETMESSAGE): the
// first time the thread takes a message it subclasses every window of the thread, and from then
// on counts the right-button messages that reach a window procedure in window properties the
// test reads from outside. The installer itself carries no such counting.
#include <windows.h>

namespace {

constexpr char kOriginalProc[] = "VelumarProbeOriginalProc";
constexpr char kDownSeen[] = "VelumarRightButtonDown";
constexpr char kUpSeen[] = "VelumarRightButtonUp";

bool g_subclassed = false;

void count(HWND window, const char* property) {
    const auto seen = reinterpret_cast<INT_PTR>(::GetPropA(window, property));
    ::SetPropA(window, property, reinterpret_cast<HANDLE>(seen + 1));
}

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(::GetPropA(window, kOriginalProc));
    if (message == WM_RBUTTONDOWN) count(window, kDownSeen);
    if (message == WM_RBUTTONUP) count(window, kUpSeen);
    return ::CallWindowProcA(original, window, message, wParam, lParam);
}

BOOL CALLBACK subclassOne(HWND window, LPARAM) {
    if (::GetPropA(window, kOriginalProc)) return TRUE;
    const LONG_PTR original =
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProc));
    ::SetPropA(window, kOriginalProc, reinterpret_cast<HANDLE>(original));
    return TRUE;
}

BOOL CALLBACK subclassTree(HWND window, LPARAM) {
    subclassOne(window, 0);
    ::EnumChildWindows(window, subclassOne, 0);
    return TRUE;
}

}  // namespace

extern "C" LRESULT CALLBACK probeHook(int code, WPARAM wParam, LPARAM lParam) {
    if (!g_subclassed) {
        g_subclassed = true;
        ::EnumThreadWindows(::GetCurrentThreadId(), subclassTree, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
