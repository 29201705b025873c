// The record's writer: the installer's half of the record (earlier_installation.h).
#include <string>

#include "desktop/desktop_texts.h"
#include "desktop/earlier_installation.h"
#include "desktop/earlier_installation_keys.h"

namespace velumar::desktop {

namespace t = texts;
using namespace earlier_keys;

std::string formatEarlierInstallation(const EarlierInstallation& earlier) {
    std::string text;
    const auto line = [&text](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(value).append(kLineEnd);
    };
    text.append(t::kAsideRecordHeading).append(kLineEnd);
    line(kWallpaperKey, earlier.wallpaperName);
    line(kNumberKey, std::to_string(earlier.number));
    line(kFolderKey, earlier.folder ? kYes : kNo);
    line(kPageKey, earlier.page ? kYes : kNo);
    line(kStateKey, earlier.installed ? kInstalled : kAside);
    text.append(t::kRecordEnd).append(kLineEnd);
    return text;
}

}  // namespace velumar::desktop
