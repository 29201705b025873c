// The application object (Win32 build only): the title the taskbar shows (a window of class
// TApplication), the message loop with the program's message filter, pending-message
// processing for long steps, and termination. One per process, on the one GUI thread.
#ifndef VELUMAR_APP_APPLICATION_WIN32_H
#define VELUMAR_APP_APPLICATION_WIN32_H

#include <windows.h>

#include <string>

#include "util/message_loop_win32.h"
#include "util/window_base_win32.h"

namespace velumar::app {

using velumar::handleOneMessage;
using velumar::processPendingMessages;

class Application : private WindowBase {
  public:
    static Application& instance();

    void initialize();
    // The owner of every other top-level window of the program.
    HWND window() const noexcept { return handle(); }
    void setTitle(const std::string& title);
    std::string title() const;

    // Runs the message loop until terminate().
    void run(HWND mainWindow);
    void terminate();
    bool terminated() const noexcept { return terminated_; }

    void processMessages();
    void bringToFront(HWND window);
    bool isActive() const;

  private:
    Application() = default;
    bool terminated_ = false;
};

}  // namespace velumar::app

#endif
