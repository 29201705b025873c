// The program's message filter: every message the message loops take from the queue passes it
// before dispatch. Right-button presses are dropped for every window of the program, the movie
// panel included, so that no context menu of the Flash control can appear.
#ifndef VELUMAR_UTIL_MESSAGE_FILTER_H
#define VELUMAR_UTIL_MESSAGE_FILTER_H

namespace velumar {

inline constexpr unsigned kRightButtonDown = 0x0204;  // WM_RBUTTONDOWN

constexpr bool isDroppedMessage(unsigned message) noexcept {
    return message == kRightButtonDown;
}

}  // namespace velumar

#endif
