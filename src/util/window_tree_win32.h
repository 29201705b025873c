// Walking the window tree (Win32 build only).
#ifndef VELUMAR_UTIL_WINDOW_TREE_WIN32_H
#define VELUMAR_UTIL_WINDOW_TREE_WIN32_H

#include <windows.h>

namespace velumar {

// The top-level window that holds window: its parents up to the first that is not a child.
// (GetAncestor does this only from Windows 98 on.)
HWND topLevelWindowOf(HWND window);

}  // namespace velumar

#endif
