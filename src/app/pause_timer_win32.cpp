#include "app/pause_timer_win32.h"

#include "app/application_win32.h"

namespace velumar::app {

void PauseTimer::pause(HWND owner) {
    if (!enabled_) {
        if (!::SetTimer(owner, id_, kIntervalMs, nullptr)) return;
        enabled_ = true;
    }
    while (enabled_ && handleOneMessage()) {
    }
}

bool PauseTimer::onTimer(HWND owner, UINT_PTR id) noexcept {
    if (id != id_) return false;
    ::KillTimer(owner, id_);
    enabled_ = false;
    return true;
}

}  // namespace velumar::app
