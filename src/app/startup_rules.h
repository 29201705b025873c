// The start-up sequence's portable rules: its own error codes, the start-up failure text, and
// the preview and licence rules. The package's own rules (names, the preview's renaming, the
// slots a kind writes) are in package/package_rules.h.
#ifndef VELUMAR_APP_STARTUP_RULES_H
#define VELUMAR_APP_STARTUP_RULES_H

#include <cstdint>
#include <string>
#include <string_view>

#include "desktop/flash_player.h"
#include "util/error_codes.h"

namespace velumar::app {

// Start-up's own codes (all in util/error_codes.h):
//   -402  the Flash control cannot be created although no update was needed
//   -540  the wallpaper name fails the wallpaper-name rule of package/package_rules.h (the one
//         the package tool applies): it could place the wallpaper folder or page outside
//         "Web\Wallpaper\" or name a device. Refused right after the header is read, before
//         anything is written or created.
//   -541  the installer file does not match its integrity record (package/integrity.h): cut
//         short, a byte changed, or the record itself damaged. Found on the package copy
//         right after the header is read, before anything else is written; the box then says
//         to download the installer again.
//   409   the user cancelled the Flash player step: start-up ends without any message

// "Installer file is corrupted. Corvana Error: " + code + ". ", and for a damaged installer
// file the line that tells the user to download it again.
std::string startupFailureText(ErrorCode code);

enum class PictureFormat { bitmap, jpeg, unknown };
// By the file's extension, ignoring case.
PictureFormat pictureFormatOf(std::string_view path) noexcept;

// A text file's lines joined with CR LF, whether they ended in CR LF, LF or CR.
std::string licenseText(std::string_view fileBytes);

}  // namespace velumar::app

#endif
