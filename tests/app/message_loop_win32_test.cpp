// The program's message loops drop every right-button press before dispatch: the loop that
// takes one message at a time, the pending-message processing, and the pause's loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/application_win32.h"
#include "app/pause_timer_win32.h"

namespace velumar::app {
namespace {

std::vector<UINT> g_received;
PauseTimer* g_pause = nullptr;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_USER)
        g_received.push_back(message);
    if (message == WM_TIMER && g_pause && g_pause->onTimer(window, wParam)) return 0;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

class MessageLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = recordingProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "VelumarLoopTest";
        ::RegisterClassA(&windowClass);
        window = ::CreateWindowExA(0, "VelumarLoopTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                   nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(window);
        g_received.clear();
    }
    void TearDown() override { ::DestroyWindow(window); }

    void postRightButtonAndMarker() {
        ::PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        ::PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
        ::PostMessageA(window, WM_USER, 0, 0);
    }

    HWND window = nullptr;
};

TEST_F(MessageLoop, OneAtATimeDropsTheButtonDown) {
    postRightButtonAndMarker();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(handleOneMessage());
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_RBUTTONUP, WM_USER}));
}

TEST_F(MessageLoop, PendingMessagesDropTheButtonDown) {
    postRightButtonAndMarker();
    EXPECT_TRUE(processPendingMessages());
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_RBUTTONUP, WM_USER}));
}

TEST_F(MessageLoop, ThePauseDropsTheButtonDownAndNestsOnOneTick) {
    PauseTimer pause(7);
    g_pause = &pause;
    postRightButtonAndMarker();
    const DWORD started = ::GetTickCount();
    pause.pause(window);
    EXPECT_FALSE(pause.enabled());
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_RBUTTONUP, WM_USER}));
    EXPECT_GE(::GetTickCount() - started, 900u);
    g_pause = nullptr;
}

TEST_F(MessageLoop, QuitEndsTheLoopsAndStaysQueued) {
    ::PostQuitMessage(3);
    EXPECT_FALSE(processPendingMessages());
    EXPECT_FALSE(handleOneMessage());
    MSG message;
    EXPECT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace velumar::app
