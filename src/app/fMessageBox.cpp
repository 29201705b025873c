#include "app/fMessageBox.h"

#include "app/window_font_win32.h"

#include "app/app_texts.h"
#include "app/application_win32.h"
#include "app/control_ids.h"

namespace velumar::app {
namespace {
constexpr int kWidth = 425;
constexpr int kHeight = 112;
constexpr int kLabelLeft = 16;
constexpr int kLabelTop = 15;
constexpr int kLabelWidth = 387;
constexpr int kLabelLineHeight = 13;

// The label's height for its word-wrapped text in the font: the designed single line would cut
// off the second line the text needs at this width.
int labelHeight(HWND label, HFONT font) {
    const HDC dc = ::GetDC(label);
    if (!dc) return kLabelLineHeight;
    const HGDIOBJ previous = ::SelectObject(dc, font);
    RECT text{0, 0, kLabelWidth, 0};
    ::DrawTextA(dc, texts::kMessageBoxText.data(), int(texts::kMessageBoxText.size()), &text,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, previous);
    ::ReleaseDC(label, dc);
    return text.bottom > kLabelLineHeight ? int(text.bottom) : kLabelLineHeight;
}
}  // namespace

bool TkvrMessageBox::create() {
    registerClass(kMessageBoxClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    if (!createWindow(kMessageBoxClass, WS_EX_TOPMOST | WS_EX_CONTROLPARENT,
                      std::string(texts::kMessageBoxCaption), WS_OVERLAPPEDWINDOW, x, y, kWidth,
                      kHeight, Application::instance().window()))
        return false;
    onCreate();
    return true;
}

void TkvrMessageBox::onCreate() {
    font_.reset(createWindowFont());
    const HWND label = createControl("STATIC", std::string(texts::kMessageBoxText),
                                     WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kLabelLeft, kLabelTop,
                                     kLabelWidth, kLabelLineHeight, handle(), messageLabel);
    const HWND proceed = createControl("BUTTON", std::string(texts::kContinue),
                                       WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 120, 53, 73, 22,
                                       handle(), continueBtn);
    const HWND cancel = createControl("BUTTON", std::string(texts::kCancel),
                                      WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 208, 53, 73, 22,
                                      handle(), messageCancelBtn);
    for (const HWND child : {label, proceed, cancel})
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    setBounds(label, kLabelLeft, kLabelTop, kLabelWidth, labelHeight(label, font_.get()));
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
            // Escape answers as Cancel does.
            if (LOWORD(wParam) == messageCancelBtn || LOWORD(wParam) == IDCANCEL) cancelBtnClick();
            return 0;
        case DM_GETDEFID:
            return defaultButtonReply(handle(), continueBtn);
        case WM_ACTIVATE:
            focusMemory_.onActivate(handle(), wParam);
            return defaultProc(message, wParam, lParam);
        case WM_SETFOCUS:
            focusMemory_.restore(handle(), ::GetDlgItem(handle(), continueBtn));
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
