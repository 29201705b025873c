#include "app/flash_player_prompt.h"

#include "app/application_win32.h"
#include "app/fMessageBox.h"
#include "app/fPreparingInstallWnd.h"

namespace velumar::app {

void FlashPlayerPromptWindows::showExitApplicationsBox() {
    ::ShowWindow(messageBox_.handle(), SW_SHOW);
    ::SetWindowPos(messageBox_.handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// Sleeps in WaitMessage between the batches of messages instead of polling: the box answers as
// soon as a button is pressed, and the processor is left alone meanwhile. A WM_QUIT (which
// processPendingMessages posts again) counts as Cancel, so the wait always ends.
int FlashPlayerPromptWindows::waitForAnswer() {
    messageBox_.setAnswer(TkvrMessageBox::noAnswer);
    while (messageBox_.answer() == TkvrMessageBox::noAnswer) {
        if (!processPendingMessages()) return TkvrMessageBox::cancelAnswer;
        if (messageBox_.answer() != TkvrMessageBox::noAnswer) break;
        ::WaitMessage();
    }
    return messageBox_.answer();
}

void FlashPlayerPromptWindows::hideExitApplicationsBox() {
    ::ShowWindow(messageBox_.handle(), SW_HIDE);
}

void FlashPlayerPromptWindows::showPreparingWindow() {
    preparingWindow_.showAtHome();
}

void FlashPlayerPromptWindows::parkPreparingWindow() {
    preparingWindow_.parkOffScreen();
}

void FlashPlayerPromptWindows::processMessages() {
    Application::instance().processMessages();
}

// Sleeps in MsgWaitForMultipleObjects between the batches of messages: a message wakes it at
// once, so the windows answer and repaint while the time runs.
bool FlashPlayerPromptWindows::pauseLettingMessagesThrough(unsigned milliseconds) {
    const DWORD started = ::GetTickCount();
    for (;;) {
        if (!processPendingMessages() || preparingWindow_.endRequested()) return false;
        const DWORD elapsed = ::GetTickCount() - started;
        if (elapsed >= milliseconds) return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

// The same, woken also by the object: the wait ends as soon as it is signalled.
auto FlashPlayerPromptWindows::waitLettingMessagesThrough(HANDLE object, unsigned milliseconds)
    -> WaitEnd {
    const DWORD started = ::GetTickCount();
    for (;;) {
        if (::WaitForSingleObject(object, 0) == WAIT_OBJECT_0) return WaitEnd::signalled;
        if (!processPendingMessages() || preparingWindow_.endRequested())
            return WaitEnd::endRequested;
        const DWORD elapsed = ::GetTickCount() - started;
        if (elapsed >= milliseconds) return WaitEnd::timedOut;
        ::MsgWaitForMultipleObjects(1, &object, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

// The application's window was given no size: what comes to the front is its last active
// window.
void FlashPlayerPromptWindows::bringApplicationToFront() {
    const HWND application = Application::instance().window();
    Application::instance().bringToFront(::GetLastActivePopup(application));
}

}  // namespace velumar::app
