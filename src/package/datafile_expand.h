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
#include "package/package_texts.h"
#include "util/error_codes.h"

namespace velumar::package {

// Its own codes, -533 (a record name fails the name rule), -534 (a record count above 109)
// and -535 (the data file's wallpaper name fails the rule or is not the package's), are in
// util/error_codes.h.

// How the installer meets a finding of the data file reader: the code it returns and which
// message shows it.
enum class DataFileMessage {
    opening,     // "Problem opening Velumar data file." with the path and the code
    reading,     // "Corvana Error: Problem reading Velumar data file. " with the code's text
    recordName,  // reportInstallError with the record's path
    none,        // nothing here: the install step reports the failed installation
};

struct DataFileFailure {
    ErrorCode code = kOk;
    DataFileMessage message = DataFileMessage::opening;
};

// A short header or table is the short read 100, a block outside the file too; a read the
// system refused carries its code.
DataFileFailure dataFileFailure(const DataFileCheck& check) noexcept;

// "Corvana Error: Velumar data file already in use." (information dialog).
std::string alreadyInUseMessage();

// "Problem opening Velumar data file.\r\n\r\nFile: <path>\r\n\r\n<code>": the code in decimal,
// not the system's text for it.
std::string openingFailedMessage(std::string_view path, ErrorCode code);

// "Corvana Error: Problem reading Velumar data file. <system text>".
std::string readingFailedMessage(std::string_view systemText);

// The text the reading message gives for code: "Disk read error" for 100, "Disk write error"
// for 101, the system's text otherwise.
std::string_view readingErrorText(ErrorCode code, std::string_view systemText) noexcept;

// "Problem closing file.\r\n\r\nFile: \r\n<system text>": the text names no file.
std::string closingFailedMessage(std::string_view systemText);

// The folder part of a path: everything up to and including the last "\" or ":".
std::string folderPart(std::string_view path);

}  // namespace velumar::package

#endif
