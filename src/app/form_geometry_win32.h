// Style and placement helpers of the installer window, shared by its start-up and its layout
// (Win32 build only).
#ifndef VELUMAR_APP_FORM_GEOMETRY_WIN32_H
#define VELUMAR_APP_FORM_GEOMETRY_WIN32_H

#include <windows.h>

#include "app/layout.h"
#include "util/window_base_win32.h"

namespace velumar::app {

inline constexpr DWORD kSingleBorderStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD kResizableStyle = kSingleBorderStyle | WS_THICKFRAME;

inline void setStyle(HWND window, DWORD style) {
    const auto current = static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_STYLE));
    const DWORD kept = current & ~(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                   WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME);
    ::SetWindowLongPtrA(window, GWL_STYLE, static_cast<LONG_PTR>(kept | style));
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

inline Bounds boundsOf(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    POINT topLeft{rect.left, rect.top};
    ::ScreenToClient(::GetParent(window), &topLeft);
    return {topLeft.x, topLeft.y, rect.right - rect.left, rect.bottom - rect.top};
}

inline void place(HWND window, const Bounds& bounds) {
    setBounds(window, bounds.left, bounds.top, bounds.width, bounds.height);
}

}  // namespace velumar::app

#endif
