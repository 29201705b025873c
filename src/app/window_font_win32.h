// The installer windows' font (Win32 build only).
#ifndef VELUMAR_APP_WINDOW_FONT_WIN32_H
#define VELUMAR_APP_WINDOW_FONT_WIN32_H

#include <windows.h>

namespace velumar::app {

// "MS Sans Serif" at 8 points (-11 pixels).
HFONT createWindowFont();

}  // namespace velumar::app

#endif
