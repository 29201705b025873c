// Reading the installer's message dialogs from a second thread, the way a person sees them:
// the live window's title, texts and buttons, never what the code meant to show.
#ifndef VELUMAR_TESTS_UTIL_DIALOG_WATCH_WIN32_H
#define VELUMAR_TESTS_UTIL_DIALOG_WATCH_WIN32_H

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velumar::testing {

struct SeenDialog {
    std::string title;
    std::vector<std::string> texts;    // visible static controls with text
    std::vector<std::string> buttons;  // visible buttons, by caption
    std::vector<HWND> buttonWindows;
    bool hasIcon = false;
    HICON icon = nullptr;
    LONG centreOffsetX = 0;  // distance of the box's centre from the screen's
    LONG centreOffsetY = 0;
    HWND owner = nullptr;
    bool ownerEnabled = false;  // while the dialog showed
};

enum class CloseBy { Button, CloseBox };

inline std::string windowText(HWND window) {
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string className(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

inline BOOL CALLBACK rememberVisibleDialog(HWND window, LPARAM param) {
    if (className(window) != "#32770" || !::IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

// A visible message dialog owned by the thread, or nullptr.
inline HWND findDialogOf(DWORD threadId) {
    HWND found = nullptr;
    ::EnumThreadWindows(threadId, rememberVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

inline BOOL CALLBACK inspectControl(HWND child, LPARAM param) {
    auto& seen = *reinterpret_cast<SeenDialog*>(param);
    if (!::IsWindowVisible(child)) return TRUE;
    const std::string kind = className(child);
    if (kind == "Button") {
        seen.buttons.push_back(windowText(child));
        seen.buttonWindows.push_back(child);
    } else if (kind == "Static") {
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            seen.hasIcon = true;
            seen.icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
        } else if (!windowText(child).empty()) {
            seen.texts.push_back(windowText(child));
        }
    }
    return TRUE;
}

inline SeenDialog inspectDialog(HWND dialog) {
    SeenDialog seen;
    seen.title = windowText(dialog);
    seen.owner = ::GetWindow(dialog, GW_OWNER);
    seen.ownerEnabled = seen.owner && ::IsWindowEnabled(seen.owner);
    ::EnumChildWindows(dialog, inspectControl, reinterpret_cast<LPARAM>(&seen));
    RECT box;
    ::GetWindowRect(dialog, &box);
    seen.centreOffsetX = (box.left + box.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2;
    seen.centreOffsetY = (box.top + box.bottom) / 2 - ::GetSystemMetrics(SM_CYSCREEN) / 2;
    return seen;
}

// Clicks the only button (as the user would), or uses the close box.
inline void closeDialog(HWND dialog, const SeenDialog& seen, CloseBy closeBy) {
    if (closeBy == CloseBy::Button && seen.buttonWindows.size() == 1) {
        const HWND button = seen.buttonWindows.front();
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
    } else {
        ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

// Watches the creating thread for as long as it lives: every dialog that thread shows is read
// and closed by its button, so code under test never blocks on one. dialogs() tells what was
// seen (call it after the code under test has returned).
class DialogCatcher {
  public:
    DialogCatcher() : owner_(::GetCurrentThreadId()), watcher_([this] { watch(); }) {}
    ~DialogCatcher() {
        stop_ = true;
        watcher_.join();
    }
    DialogCatcher(const DialogCatcher&) = delete;
    DialogCatcher& operator=(const DialogCatcher&) = delete;

    std::vector<SeenDialog> dialogs() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

  private:
    void watch() {
        HWND last = nullptr;
        while (!stop_) {
            const HWND dialog = findDialogOf(owner_);
            if (dialog && dialog != last) {
                ::Sleep(100);  // let the box finish its activation
                const SeenDialog seen = inspectDialog(dialog);
                {
                    std::lock_guard lock(mutex_);
                    seen_.push_back(seen);
                }
                closeDialog(dialog, seen, CloseBy::Button);
                last = dialog;
            }
            ::Sleep(20);
        }
    }

    DWORD owner_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<SeenDialog> seen_;
    std::thread watcher_;
};

// Runs show on this thread while another thread waits up to 30 s for its dialog, reads it and
// closes it. found is false when no dialog appeared.
template <typename Show>
SeenDialog watchDialog(Show show, bool& found, CloseBy closeBy = CloseBy::Button) {
    SeenDialog seen;
    found = false;
    const DWORD owner = ::GetCurrentThreadId();
    std::thread watcher([&] {
        HWND dialog = nullptr;
        for (int waited = 0; waited < 600 && !dialog; ++waited) {
            ::Sleep(50);
            dialog = findDialogOf(owner);
        }
        if (!dialog) return;
        ::Sleep(100);
        seen = inspectDialog(dialog);
        found = true;
        closeDialog(dialog, seen, closeBy);
    });
    show();
    watcher.join();
    return seen;
}

}  // namespace velumar::testing

#endif
