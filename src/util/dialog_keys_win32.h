// Keyboard use of the program's windows that hold buttons (Win32 build only). Such a window is
// marked WS_EX_CONTROLPARENT, as are the panels inside it, and the message loops pass its keys
// through the dialog navigation: Tab and Shift+Tab move between the tab stops, Enter asks the
// window for its default button (DM_GETDEFID) and Escape sends IDCANCEL.
#ifndef VELUMAR_UTIL_DIALOG_KEYS_WIN32_H
#define VELUMAR_UTIL_DIALOG_KEYS_WIN32_H

#include <windows.h>

namespace velumar {

// True when the message was a key for such a window and the navigation has handled it.
bool routeDialogKey(MSG& message);

// The answer to DM_GETDEFID: the focused push button inside window (Enter presses the button
// that has the focus, as in a dialog box), otherwise fallbackId; 0 (no default) when that is 0.
LRESULT defaultButtonReply(HWND window, int fallbackId);

// WM_NEXTDLGCTL, which a multi-line edit sends its parent for Tab and Shift+Tab: the focus goes
// to the control given (LOWORD(lParam) set) or to the next or previous tab stop.
void moveFocus(HWND window, WPARAM wParam, LPARAM lParam);

// The control that had the focus when the window was last deactivated, given the focus back
// when the window gets it; a window that never had one gives it to its first control.
class FocusMemory {
  public:
    void onActivate(HWND window, WPARAM state);
    void restore(HWND window, HWND firstControl);

  private:
    HWND last_ = nullptr;
};

}  // namespace velumar

#endif
