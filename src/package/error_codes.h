// The installer's error codes.
//
// An error code is a signed 32-bit integer: 0 is success; a positive value is
// an operating-system code carried by a failed file operation, including the
// run-time I/O codes 100 (a block read delivered fewer bytes than requested)
// and 101 (a block write wrote fewer bytes than requested); a negative value
// is one of the program's own codes below.
#ifndef VELUMAR_PACKAGE_ERROR_CODES_H
#define VELUMAR_PACKAGE_ERROR_CODES_H

#include <cstdint>

namespace velumar::package {

using ErrorCode = int32_t;

inline constexpr ErrorCode kOk = 0;
inline constexpr ErrorCode kShortBlockRead = 100;
inline constexpr ErrorCode kShortBlockWrite = 101;

inline constexpr ErrorCode kNoMemory = -7;              // buffer for the stored bytes
inline constexpr ErrorCode kRecordBeyondCount = -12;    // data record index > recordCount
inline constexpr ErrorCode kExpandedLengthWrong = -13;  // expanded file has another length
inline constexpr ErrorCode kDataFileNotOpen = -15;
inline constexpr ErrorCode kExpandedFileMissing =
    -16;                                          // nothing at the destination after expansion
inline constexpr ErrorCode kShortEntry = -30;     // fewer stored bytes read, or written
inline constexpr ErrorCode kShortHeader = -31;    // the package header was not read whole
inline constexpr ErrorCode kFileBusy = -32;       // destination exists and cannot be deleted
inline constexpr ErrorCode kNoCompression = -35;  // the implode library is not available
inline constexpr ErrorCode kWallpaperBusy = -38;  // as kFileBusy, for a ".scr" destination
inline constexpr ErrorCode kPackageCopyFailed = -523;
inline constexpr ErrorCode kEmptySlot = -531;  // the slot's name has length 0
inline constexpr ErrorCode kCopyRecordFailed = -532;
// The uninstall entry of the wallpaper's name belongs to another program: it names another
// uninstaller, or none. The run ends before it writes anything, and the entry stays as it is.
inline constexpr ErrorCode kForeignUninstallEntry = -542;

}  // namespace velumar::package

#endif
