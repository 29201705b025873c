#include "util/window_tree_win32.h"

namespace velumar {

HWND topLevelWindowOf(HWND window) {
    while (window && (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
        const HWND parent = ::GetParent(window);
        if (!parent) break;
        window = parent;
    }
    return window;
}

}  // namespace velumar
