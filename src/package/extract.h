// Entry extraction, the portable part: the error reporter's wording, the extension rules that
// choose how a destination is cleared, and the check of an entry's stored range against the
// package copy. The Win32 part (extract_win32.h) writes the files.
#ifndef VELUMAR_PACKAGE_EXTRACT_H
#define VELUMAR_PACKAGE_EXTRACT_H

#include <cstdint>
#include <string>
#include <string_view>

#include "package/package_header.h"
#include "util/error_codes.h"

namespace velumar::package {

// The error reporter's message for code, with text (a path in every caller) and systemText
// (the system's text for the code, empty for the program's own codes):
//   -523       "Installation Error: " + text + systemText + "\r\n\r\n" + "Retry installation. ..."
//   -38        "Installation Error: " + "Wallpaper file is busy. ..." (text not shown)
//   -32        "Installation Error: " + " File is busy ... File: " + text
//   any other  "Installation Error: " + systemText + "\r\n\r\n" + "Problem with file " + text + ".
//   "
std::string installErrorMessage(ErrorCode code, std::string_view text, std::string_view systemText);

// A destination whose extension (from its last ".", compared exactly) is ".dll" is cleared
// without any message, and a busy one is kept silently: the library already there stays.
bool isLibraryDestination(std::string_view path) noexcept;

// A destination whose extension, lower-cased, is ".scr": a busy one is -38, not -32.
bool isScreenSaverDestination(std::string_view path) noexcept;

// The bytes an entry stores, checked against the length of the package copy: 0 when the range
// startOffset..endOffset (inclusive) lies inside a file of fileSize bytes, otherwise -30. A
// range that is reversed, negative or runs past the end is refused before anything is
// allocated, so a damaged header cannot ask for a huge or negative buffer.
ErrorCode checkStoredRange(const PackageEntry& entry, uint64_t fileSize) noexcept;

}  // namespace velumar::package

#endif
