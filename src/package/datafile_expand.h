// The portable rules of data file expansion: its texts, the messages built from them, its own
// error codes, and the checks made on the record table and each block before anything is
// allocated or written. The Win32 expansion (datafile_win32.h) uses them; the layout of the
// data file itself is in data_file.h.
#ifndef VELUMAR_PACKAGE_DATAFILE_EXPAND_H
#define VELUMAR_PACKAGE_DATAFILE_EXPAND_H

#include <cstdint>
#include <string>
#include <string_view>

#include "package/data_file.h"
#include "package/error_codes.h"
#include "package/package_texts.h"

namespace velumar::package {

// A record whose name is absolute, carries a drive or a stream colon, or climbs out of the
// wallpaper folder with a dot-only part: it fails and nothing is written for it.
inline constexpr ErrorCode kRecordNameUnsafe = -533;
// A record count above 109 or below 0: the data file is refused before any record is read.
inline constexpr ErrorCode kRecordCountOutOfRange = -534;


// "Corvana Error: Velumar data file already in use." (information dialog).
std::string alreadyInUseMessage();

// "Problem opening Velumar data file.\r\n\r\nFile: <path>\r\n\r\n<code>": the code in decimal,
// not the system's text for it.
std::string openingFailedMessage(std::string_view path, ErrorCode code);

// "Corvana Error: Problem reading Velumar data file. <system text>".
std::string readingFailedMessage(std::string_view systemText);

// "Problem closing file.\r\n\r\nFile: \r\n<system text>": the text names no file.
std::string closingFailedMessage(std::string_view systemText);

// 0 to 109 records fit the installer's table.
bool recordCountAcceptable(int32_t recordCount) noexcept;

// The block header at blockOffset and the bytes the record needs after it (storedSize when
// compressed, size otherwise, none for size 0) lie inside a file of fileSize bytes, and no
// size is negative. When this is false the record fails as a short read (100) before any
// allocation.
bool blockFitsInFile(int64_t blockOffset, const BlockHeader& block, uint64_t fileSize) noexcept;
bool blockHeaderFitsInFile(int64_t blockOffset, uint64_t fileSize) noexcept;

// The folder part of a path: everything up to and including the last "\" or ":".
std::string folderPart(std::string_view path);

}  // namespace velumar::package

#endif
