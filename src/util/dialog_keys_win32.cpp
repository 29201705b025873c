#include "util/dialog_keys_win32.h"

#include "util/window_tree_win32.h"

namespace velumar {

bool routeDialogKey(MSG& message) {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd)
        return false;
    const HWND top = topLevelWindowOf(message.hwnd);
    if (!top || !(::GetWindowLongA(top, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) return false;
    return ::IsDialogMessageA(top, &message) != FALSE;
}

LRESULT defaultButtonReply(HWND window, int fallbackId) {
    const HWND focus = ::GetFocus();
    constexpr LRESULT kPushButton = DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON;
    int id = fallbackId;
    if (focus && ::IsChild(window, focus) &&
        (::SendMessageA(focus, WM_GETDLGCODE, 0, 0) & kPushButton))
        id = ::GetDlgCtrlID(focus);
    return id == 0 ? 0 : MAKELRESULT(id, DC_HASDEFID);
}

void moveFocus(HWND window, WPARAM wParam, LPARAM lParam) {
    const HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                       : ::GetNextDlgTabItem(window, ::GetFocus(), wParam != 0);
    if (target) ::SetFocus(target);
}

void FocusMemory::onActivate(HWND window, WPARAM state) {
    if (LOWORD(state) != WA_INACTIVE) return;
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(window, focus)) last_ = focus;
}

void FocusMemory::restore(HWND window, HWND firstControl) {
    const bool usable =
        last_ && ::IsChild(window, last_) && ::IsWindowVisible(last_) && ::IsWindowEnabled(last_);
    const HWND target = usable ? last_ : firstControl;
    if (target) ::SetFocus(target);
}

}  // namespace velumar
