#include "util/message_loop_win32.h"

#include <windows.h>

#include "util/dialog_keys_win32.h"
#include "util/message_filter.h"

namespace velumar {
namespace {

void dispatchFiltered(MSG& message) {
    if (isDroppedMessage(message.message)) return;
    if (routeDialogKey(message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
}

}  // namespace

bool handleOneMessage() {
    MSG message;
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    dispatchFiltered(message);
    return true;
}

bool processPendingMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        dispatchFiltered(message);
    }
    return true;
}

}  // namespace velumar
