#include "desktop/flash_player.h"

namespace velumar::desktop {

bool playerNeedsUpdate(const FlashPlayerVersion& version, bool strict) noexcept {
    if (version.major < 6) return true;
    return strict && version.major == 6 && version.build < 47;
}

ErrorCode shellStartResult(std::intptr_t shellResult) noexcept {
    if (shellResult > 32) return package::kOk;
    if (shellResult == 0) return kShellOutOfResources;
    return static_cast<ErrorCode>(shellResult);
}

std::string asideName(const std::string& path, int number) {
    std::string name = path + ".old";
    if (number > 0) name += std::to_string(number);
    return name;
}

}  // namespace velumar::desktop
