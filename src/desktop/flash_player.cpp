#include "desktop/flash_player.h"

namespace velumar::desktop {

bool playerNeedsUpdate(const FlashPlayerVersion& version, bool strict) noexcept {
    if (version.major < 6) return true;
    return strict && version.major == 6 && version.build < 47;
}

ErrorCode installerStartFailure(std::uint32_t systemCode) noexcept {
    if (systemCode == 0 || systemCode > 0x7FFFFFFFu) return kNoMemory;
    return static_cast<ErrorCode>(systemCode);
}

std::string asideName(const std::string& path, int number) {
    std::string name = path + ".old";
    if (number > 0) name += std::to_string(number);
    return name;
}

}  // namespace velumar::desktop
