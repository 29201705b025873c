#include "app/fPreparingInstallWnd.h"

#include "app/app_texts.h"
#include "app/application_win32.h"
#include "app/control_ids.h"

namespace velumar::app {
namespace {
constexpr int kClientWidth = 257;
constexpr int kClientHeight = 59;
constexpr int kParkedPosition = -3000;
// A caption bar without text, with the close box only, and a fixed border.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
}  // namespace

bool TpreparingInstallWnd::create() {
    registerClass(kPreparingWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    if (!createWindow(kPreparingWindowClass, 0, "", kStyle, home_.x, home_.y,
                      outer.right - outer.left, outer.bottom - outer.top,
                      Application::instance().window()))
        return false;
    const HWND label = createControl("STATIC", std::string(texts::kPreparingLine),
                                     WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, kClientWidth,
                                     kClientHeight, handle(), label1);
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
    RECT placed;
    ::GetWindowRect(handle(), &placed);
    home_ = {placed.left, placed.top};
    parkOffScreen();
    return true;
}

void TpreparingInstallWnd::parkOffScreen() {
    ::SetWindowPos(handle(), nullptr, kParkedPosition, kParkedPosition, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TpreparingInstallWnd::showAtHome() {
    endRequested_ = false;
    ::SetWindowPos(handle(), nullptr, home_.x, home_.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(handle(), SW_SHOW);
}

LRESULT TpreparingInstallWnd::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Being the main window, it must never go: a close request (its close box, Alt+F4) or
    // Escape only asks the wait for the Flash player to end.
    if (message == WM_CLOSE) {
        endRequested_ = true;
        return 0;
    }
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        endRequested_ = true;
        return 0;
    }
    return defaultProc(message, wParam, lParam);
}

}  // namespace velumar::app
