#include "app/fMessageBox.h"

#include "app/app_texts.h"
#include "app/control_ids.h"

namespace velumar::app {
namespace {
constexpr int kWidth = 425;
constexpr int kHeight = 112;
}  // namespace

bool TkvrMessageBox::create() {
    registerClass(kMessageBoxClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    if (!createWindow(kMessageBoxClass, WS_EX_TOPMOST, std::string(texts::kMessageBoxCaption),
                      WS_OVERLAPPEDWINDOW, x, y, kWidth, kHeight, nullptr))
        return false;
    onCreate();
    return true;
}

void TkvrMessageBox::onCreate() {
    font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const HWND label = createControl("STATIC", std::string(texts::kMessageBoxText),
                                     WS_VISIBLE | SS_LEFT, 16, 15, 387, 13, handle(), messageLabel);
    const HWND proceed = createControl("BUTTON", std::string(texts::kContinue),
                                       WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 120, 53, 73, 22,
                                       handle(), continueBtn);
    const HWND cancel = createControl("BUTTON", std::string(texts::kCancel),
                                      WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 208, 53, 73, 22,
                                      handle(), messageCancelBtn);
    for (const HWND child : {label, proceed, cancel})
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    answer_ = noAnswer;
}

void TkvrMessageBox::continueBtnClick() {
    answer_ = continueAnswer;
}

void TkvrMessageBox::cancelBtnClick() {
    answer_ = cancelAnswer;
    ::ShowWindow(handle(), SW_HIDE);
}

LRESULT TkvrMessageBox::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == continueBtn) continueBtnClick();
            if (LOWORD(wParam) == messageCancelBtn) cancelBtnClick();
            return 0;
        case WM_CLOSE:
            // The close box gives no answer of its own: it counts as Cancel.
            cancelBtnClick();
            return 0;
        default:
            return defaultProc(message, wParam, lParam);
    }
}

}  // namespace velumar::app
