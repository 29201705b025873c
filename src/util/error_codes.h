// The installer's and the uninstaller's error codes: every code of ours, in one table.
//
// An error code is a signed 32-bit integer. 0 is success. A code the system gave for a failed
// call (a Win32 error number from GetLastError, or FormatMessageA's number in a message) is not
// ours: it passes through as it is, always positive, never 0 (lastErrorCode() in
// error_text_win32.h reads it), and is not listed here. Every other code is below.
//
// clang-format off
// | Code | Name                      | Meaning                                               | Returned by                  |
// |------|---------------------------|-------------------------------------------------------|------------------------------|
// | 0    | kOk                       | success                                               | everyone                     |
// | 100  | kShortBlockRead           | a block read delivered fewer bytes than requested     | data file expansion          |
// | 101  | kShortBlockWrite          | a block write wrote fewer bytes than requested        | data file expansion          |
// | 409  | kFlashStepCancelled       | the user chose Cancel in the box that asks to exit    | Flash player step, start-up  |
// |      |                           | all applications: start-up ends without a message     |                              |
// | -7   | kNoMemory                 | no memory for an entry's stored bytes; or the Flash   | extraction; Flash player     |
// |      |                           | player's installer could not be started and the       | step                         |
// |      |                           | system gave no code for it                            |                              |
// | -12  | kRecordBeyondCount        | data record index above the record count              | data file expansion          |
// | -13  | kExpandedLengthWrong      | an expanded file has another length than recorded     | extraction                   |
// | -15  | kDataFileNotOpen          | the data file is not open                             | data file expansion          |
// | -16  | kExpandedFileMissing      | nothing at the destination after expansion            | extraction                   |
// | -30  | kShortEntry               | fewer stored bytes read, or written                   | extraction                   |
// | -31  | kShortHeader              | the package header was not read whole                 | start-up                     |
// | -32  | kFileBusy                 | a file that must go is still there after the second   | extraction, file operations, |
// |      |                           | delete (a destination, or the Flash control when the  | Flash player step, install   |
// |      |                           | player's installer was to run)                        | steps                        |
// | -35  | kNoCompression            | the implode library is not available                  | extraction                   |
// | -38  | kWallpaperBusy            | as kFileBusy, for a ".scr" destination                | extraction                   |
// | -401 | kFlashInstallerMissing    | "flashax.exe" is missing from the Windows folder, or  | Flash player step            |
// |      |                           | is not the file start-up wrote there and holds        |                              |
// | -402 | kFlashControlUnusable     | the Flash control was not created and answering its   | Flash player step, start-up  |
// |      |                           | version within its time, or the player's installer    |                              |
// |      |                           | did not end within its own                            |                              |
// | -403 | kFlashControlNotCreated   | the preview's Flash control could not be created      | movie preparation            |
// | -404 | kMovieSignatureRejected   | the movie does not start "FWS" or "CWS"               | movie preparation, velpack   |
// | -405 | kMovieVersionTooNew       | the movie's version is above 6                        | movie preparation            |
// | -406 | kMovieVersionTooOld       | the movie's version is below 3                        | movie preparation            |
// | -408 | kFlashControlNotReleased  | the preview's Flash control could not be let go       | movie preparation            |
// | -523 | kPackageCopyFailed        | the package copy could not be made                    | start-up                     |
// | -531 | kEmptySlot                | the slot's name has length 0                          | extraction                   |
// | -532 | kCopyRecordFailed         | a data record could not be copied                     | data file expansion          |
// | -533 | kRecordNameUnsafe         | a record name fails the name rule: the data file is   | data file expansion          |
// |      |                           | refused before any record is written                  |                              |
// | -534 | kRecordCountOutOfRange    | a record count above 109: refused before any record   | data file expansion          |
// |      |                           | is read                                               |                              |
// | -535 | kDataFileOtherWallpaper   | the data file's wallpaper name fails the rule or is   | data file expansion          |
// |      |                           | not the package's                                     |                              |
// | -540 | kUnsafeWallpaperName      | the wallpaper name fails the wallpaper-name rule:     | start-up                     |
// |      |                           | refused right after the header is read                |                              |
// | -541 | kInstallerDamaged         | the installer file does not match its integrity       | start-up                     |
// |      |                           | record: nothing else is written                       |                              |
// | -542 | kForeignUninstallEntry    | the uninstall entry of the wallpaper's name belongs   | install steps                |
// |      |                           | to another program: the run ends before it writes     |                              |
// |      |                           | anything, and the entry stays as it is                |                              |
// clang-format on
//
// Portable: no Windows header, so that every subsystem and the package tool may include it.
#ifndef VELUMAR_UTIL_ERROR_CODES_H
#define VELUMAR_UTIL_ERROR_CODES_H

#include <cstdint>

namespace velumar {

using ErrorCode = std::int32_t;

inline constexpr ErrorCode kOk = 0;
inline constexpr ErrorCode kShortBlockRead = 100;
inline constexpr ErrorCode kShortBlockWrite = 101;
inline constexpr ErrorCode kFlashStepCancelled = 409;
inline constexpr ErrorCode kNoMemory = -7;
inline constexpr ErrorCode kRecordBeyondCount = -12;
inline constexpr ErrorCode kExpandedLengthWrong = -13;
inline constexpr ErrorCode kDataFileNotOpen = -15;
inline constexpr ErrorCode kExpandedFileMissing = -16;
inline constexpr ErrorCode kShortEntry = -30;
inline constexpr ErrorCode kShortHeader = -31;
inline constexpr ErrorCode kFileBusy = -32;
inline constexpr ErrorCode kNoCompression = -35;
inline constexpr ErrorCode kWallpaperBusy = -38;
inline constexpr ErrorCode kFlashInstallerMissing = -401;
inline constexpr ErrorCode kFlashControlUnusable = -402;
inline constexpr ErrorCode kFlashControlNotCreated = -403;
inline constexpr ErrorCode kMovieSignatureRejected = -404;
inline constexpr ErrorCode kMovieVersionTooNew = -405;
inline constexpr ErrorCode kMovieVersionTooOld = -406;
inline constexpr ErrorCode kFlashControlNotReleased = -408;
inline constexpr ErrorCode kPackageCopyFailed = -523;
inline constexpr ErrorCode kEmptySlot = -531;
inline constexpr ErrorCode kCopyRecordFailed = -532;
inline constexpr ErrorCode kRecordNameUnsafe = -533;
inline constexpr ErrorCode kRecordCountOutOfRange = -534;
inline constexpr ErrorCode kDataFileOtherWallpaper = -535;
inline constexpr ErrorCode kUnsafeWallpaperName = -540;
inline constexpr ErrorCode kInstallerDamaged = -541;
inline constexpr ErrorCode kForeignUninstallEntry = -542;

}  // namespace velumar

#endif
