// Fuzz target for the earlier installation's record, which the installer and the uninstaller
// read from the Windows folder's Web\Wallpaper: a folder anyone may write on Windows 9x, so the
// record may have been edited, damaged or planted.
//
// For every input it checks that:
//  - the reading ends with a record or with none (never a crash or an exception);
//  - a record read holds a number among the aside names tried, and is written again and read
//    to the same record, so that what is acted on is exactly what an installer could write;
//  - the aside names made from it are single names inside the wallpaper root.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "desktop/earlier_installation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velumar::desktop;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto record = parseEarlierInstallation(text);
    if (!record) return 0;
    if (record->number < 1 || record->number > kAsideNumbers) std::abort();
    const std::string written = formatEarlierInstallation(*record);
    if (written.size() > kLongestEarlierRecord) std::abort();
    const auto again = parseEarlierInstallation(written);
    if (!again || !(*again == *record)) std::abort();
    constexpr std::string_view root = "C:\\WINDOWS\\Web\\Wallpaper\\";
    for (const std::string& path : {asideFolderPath(root, record->wallpaperName, record->number),
                                    asidePagePath(root, record->wallpaperName, record->number),
                                    asideRecordPath(root, record->wallpaperName, record->number)}) {
        // One name inside the root: no separator, no drive, and not a name that means a folder
        // above ("..aeh dir.old" is a name like any other).
        const std::string_view rest = std::string_view(path).substr(root.size());
        if (!path.starts_with(root) || rest.find_first_of("\\/:") != std::string_view::npos ||
            rest == "." || rest == "..") {
            std::abort();
        }
    }
    return 0;
}
