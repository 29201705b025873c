// Fuzz target for the desktop record the uninstaller reads from the wallpaper folder: a
// file anyone may have edited or damaged.
//
// For every input it checks that:
//  - the reading ends with a record or with none (never a crash or an exception);
//  - a record read back is written again and read to the same record, so that what the
//    uninstaller acts on is exactly what the installer could have written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "desktop/desktop_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velumar::desktop;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto record = parseDesktopRecord(text);
    if (!record) return 0;
    const auto written = formatDesktopRecord(*record);
    if (!written) std::abort();
    const auto again = parseDesktopRecord(*written);
    if (!again || !(*again == *record)) std::abort();
    return 0;
}
