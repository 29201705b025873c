// Loading the preview picture (Win32 build only): a bitmap through the system, a JPEG through
// libjpeg, both into a bitmap the preview image stretches to 350 x 150.
#ifndef VELUMAR_APP_PREVIEW_WIN32_H
#define VELUMAR_APP_PREVIEW_WIN32_H

#include <windows.h>

#include <string>

#include "util/handles_win32.h"

namespace velumar::app {

// Empty when the file cannot be read or decoded, or its extension is neither ".bmp" nor ".jpg".
GdiObject<HBITMAP> loadPreviewPicture(const std::string& path);

}  // namespace velumar::app

#endif
