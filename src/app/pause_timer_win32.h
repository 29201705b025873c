// The installer window's one-second pause (Win32 build only). pause() enables the timer and
// handles the program's messages one at a time (through the message filter, waiting while the
// queue is empty) until the timer has fired once. Pauses nest: one that begins while another
// waits does not restart the timer, so both end at the same tick.
#ifndef VELUMAR_APP_PAUSE_TIMER_WIN32_H
#define VELUMAR_APP_PAUSE_TIMER_WIN32_H

#include <windows.h>

namespace velumar::app {

class PauseTimer {
  public:
    static constexpr UINT kIntervalMs = 1000;

    explicit PauseTimer(UINT_PTR id) noexcept : id_(id) {}

    void pause(HWND owner);
    // WM_TIMER of owner: true (and the timer disabled) when it was this timer's.
    bool onTimer(HWND owner, UINT_PTR id) noexcept;
    bool enabled() const noexcept { return enabled_; }

  private:
    UINT_PTR id_;
    bool enabled_ = false;
};

}  // namespace velumar::app

#endif
