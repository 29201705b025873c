#include "util/dialogs_win32.h"

#include <windows.h>

#include <string_view>
#include <utility>

#include "util/handles_win32.h"
#include "util/util_texts.h"

namespace velumar {
namespace {

// A message box cannot caption its button itself. A CBT hook on this thread sees the box when
// it is first activated, before it is painted: the OK button is renamed "&Abort" and the box
// is centred on the screen. The hook acts on that first box only and is removed with the box.
class AbortButtonHookScope;
thread_local AbortButtonHookScope* t_abortButtonHook = nullptr;

bool isDialogWindow(HWND window) {
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    return std::string_view(className) == "#32770";
}

void centreOnScreen(HWND window) {
    RECT box;
    if (!::GetWindowRect(window, &box)) return;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK abortButtonHook(int code, WPARAM wParam, LPARAM lParam);

// Keeps the hook for the duration of one message box, whether or not the box ever appeared.
class AbortButtonHookScope {
  public:
    AbortButtonHookScope() : previous_(std::exchange(t_abortButtonHook, this)) {
        hook_.reset(::SetWindowsHookExA(WH_CBT, abortButtonHook, nullptr, ::GetCurrentThreadId()));
    }
    ~AbortButtonHookScope() { t_abortButtonHook = previous_; }
    AbortButtonHookScope(const AbortButtonHookScope&) = delete;
    AbortButtonHookScope& operator=(const AbortButtonHookScope&) = delete;

    HHOOK hook() const noexcept { return hook_.get(); }
    // True the first time it is asked for a dialog window.
    bool takeBox(HWND window) {
        if (boxSeen_ || !isDialogWindow(window)) return false;
        boxSeen_ = true;
        return true;
    }

  private:
    WindowsHook hook_;
    AbortButtonHookScope* previous_;
    bool boxSeen_ = false;
};

LRESULT CALLBACK abortButtonHook(int code, WPARAM wParam, LPARAM lParam) {
    AbortButtonHookScope* const scope = t_abortButtonHook;
    const auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && scope && scope->takeBox(window)) {
        ::SetDlgItemTextA(window, IDOK, util_texts::kAbortButton.data());
        centreOnScreen(window);
    }
    return ::CallNextHookEx(scope ? scope->hook() : nullptr, code, wParam, lParam);
}

void showAbortDialog(const std::string& message, std::string_view title, UINT icon) {
    // Owned by the active window, so that it is modal to the installer; with no window of its
    // own the box disables the thread's other windows instead.
    const HWND owner = ::GetActiveWindow();
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    AbortButtonHookScope hook;
    ::MessageBoxA(owner, message.c_str(), title.data(), MB_OK | icon | modality);
}

}  // namespace

void showErrorDialog(const std::string& message) {
    showAbortDialog(message, util_texts::kErrorTitle, MB_ICONERROR);
}

void showInformationDialog(const std::string& message) {
    showAbortDialog(message, util_texts::kInformationTitle, MB_ICONINFORMATION);
}

}  // namespace velumar
