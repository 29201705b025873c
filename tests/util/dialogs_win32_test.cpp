#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "util/dialogs_win32.h"

namespace velumar {
namespace {

// What a second thread saw of the live dialog before it closed it.
struct SeenDialog {
    bool found = false;
    std::string title;
    std::vector<std::string> texts;    // static controls with text
    std::vector<std::string> buttons;  // visible buttons
    bool hasIcon = false;
    HICON icon = nullptr;
    LONG centreOffsetX = 0;
    LONG centreOffsetY = 0;
};

enum class CloseBy { Button, CloseBox };

std::string windowText(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string className(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK rememberVisibleDialog(HWND window, LPARAM param) {
    if (className(window) != "#32770" || !::IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

HWND findDialogOf(DWORD threadId) {
    HWND found = nullptr;
    ::EnumThreadWindows(threadId, rememberVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct ControlWalk {
    SeenDialog* seen;
    std::vector<HWND>* buttons;
};

BOOL CALLBACK inspectControl(HWND child, LPARAM param) {
    auto& walk = *reinterpret_cast<ControlWalk*>(param);
    if (!::IsWindowVisible(child)) return TRUE;
    const std::string kind = className(child);
    if (kind == "Button") {
        walk.seen->buttons.push_back(windowText(child));
        walk.buttons->push_back(child);
    } else if (kind == "Static") {
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            walk.seen->hasIcon = true;
            walk.seen->icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
        } else if (!windowText(child).empty()) {
            walk.seen->texts.push_back(windowText(child));
        }
    }
    return TRUE;
}

void inspectControls(HWND dialog, SeenDialog& seen, std::vector<HWND>& buttons) {
    ControlWalk walk{&seen, &buttons};
    ::EnumChildWindows(dialog, inspectControl, reinterpret_cast<LPARAM>(&walk));
}

// Runs show on this thread while another thread waits for its dialog, reads it and closes it.
template <typename Show>
SeenDialog watchDialog(Show show, CloseBy closeBy = CloseBy::Button) {
    SeenDialog seen;
    const DWORD owner = ::GetCurrentThreadId();
    std::thread watcher([&] {
        HWND dialog = nullptr;
        for (int waited = 0; waited < 600 && !dialog; ++waited) {
            ::Sleep(50);
            dialog = findDialogOf(owner);
        }
        if (!dialog) return;
        ::Sleep(100);  // let the box finish its activation
        seen.found = true;
        seen.title = windowText(dialog);
        std::vector<HWND> buttons;
        inspectControls(dialog, seen, buttons);
        RECT box;
        ::GetWindowRect(dialog, &box);
        seen.centreOffsetX = (box.left + box.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2;
        seen.centreOffsetY = (box.top + box.bottom) / 2 - ::GetSystemMetrics(SM_CYSCREEN) / 2;
        if (closeBy == CloseBy::Button && buttons.size() == 1) {
            const int id = ::GetDlgCtrlID(buttons.front());
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(buttons.front()));
        } else {
            ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
    });
    show();
    watcher.join();
    return seen;
}

TEST(Dialogs, ErrorDialogHasOneAbortButton) {
    const SeenDialog seen = watchDialog([] { showErrorDialog("Zip Error: something failed."); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, "Error");
    ASSERT_EQ(seen.buttons.size(), 1u);
    EXPECT_EQ(seen.buttons.front(), "&Abort");
    ASSERT_EQ(seen.texts.size(), 1u);
    EXPECT_EQ(seen.texts.front(), "Zip Error: something failed.");
    EXPECT_TRUE(seen.hasIcon);
    EXPECT_EQ(seen.icon, ::LoadIconA(nullptr, IDI_ERROR));
    EXPECT_LE(std::abs(seen.centreOffsetX), 2);
    EXPECT_LE(std::abs(seen.centreOffsetY), 2);
}

TEST(Dialogs, InformationDialogHasOneAbortButton) {
    const SeenDialog seen = watchDialog([] { showInformationDialog("Line one\r\n\r\nLine two"); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, "Information");
    ASSERT_EQ(seen.buttons.size(), 1u);
    EXPECT_EQ(seen.buttons.front(), "&Abort");
    ASSERT_EQ(seen.texts.size(), 1u);
    EXPECT_EQ(seen.texts.front(), "Line one\r\n\r\nLine two");
    EXPECT_EQ(seen.icon, ::LoadIconA(nullptr, IDI_INFORMATION));
}

TEST(Dialogs, CloseBoxAlsoReturns) {
    const SeenDialog seen =
        watchDialog([] { showErrorDialog("closed by its close box"); }, CloseBy::CloseBox);
    EXPECT_TRUE(seen.found);
}

TEST(Dialogs, LaterMessageBoxesKeepTheirOwnButtons) {
    watchDialog([] { showErrorDialog("first"); });
    const SeenDialog plain =
        watchDialog([] { ::MessageBoxA(nullptr, "plain", "Plain", MB_OK | MB_TASKMODAL); });
    ASSERT_TRUE(plain.found);
    ASSERT_EQ(plain.buttons.size(), 1u);
    EXPECT_EQ(plain.buttons.front(), "OK");
}

// The box is modal to the active window, which is disabled while it shows and enabled after.
TEST(Dialogs, OwnerWindowIsEnabledAgainAfterwards) {
    const HWND window = ::CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                          10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ::SetActiveWindow(window);
    const SeenDialog seen = watchDialog([] { showErrorDialog("owned"); });
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(seen.buttons.size(), 1u);
    EXPECT_TRUE(::IsWindowEnabled(window));
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace velumar
