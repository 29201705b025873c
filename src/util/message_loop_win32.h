// The programs' message pump (Win32 build only): every message taken from the queue passes the
// message filter (util/message_filter.h) and the dialog keys (util/dialog_keys_win32.h) before
// dispatch, in the application's loop, in pending-message processing for long steps and in the
// Flash panel's waits alike.
#ifndef VELUMAR_UTIL_MESSAGE_LOOP_WIN32_H
#define VELUMAR_UTIL_MESSAGE_LOOP_WIN32_H

namespace velumar {

// Takes one message from the thread's queue, waiting while it is empty, and dispatches it
// unless the filter drops it. False when the message was WM_QUIT (which is posted again, so
// that every enclosing loop ends too).
bool handleOneMessage();

// Dispatches the messages already queued (filtered), without waiting. False when WM_QUIT was
// met (posted again).
bool processPendingMessages();

}  // namespace velumar

#endif
