#include "app/window_font_win32.h"

#include "app/app_texts.h"

namespace velumar::app {

HFONT createWindowFont() {
    return ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, texts::kFontName.data());
}

}  // namespace velumar::app
