// The package extraction subsystem's user-visible texts (entry extraction and its error
// reporter, the implode binding, data file expansion), exactly as the installer shows them.
#ifndef VELUMAR_PACKAGE_PACKAGE_TEXTS_H
#define VELUMAR_PACKAGE_PACKAGE_TEXTS_H

#include <string_view>

namespace velumar::package::texts {

// Between a message and the system's text for its code.
inline constexpr std::string_view kParagraphBreak = "\r\n\r\n";

// The implode binding: a failure while staging the compressed bytes or creating the output.
inline constexpr std::string_view kZipErrorExpanding =
    "Zip Error: Problem expanding data in memory. ";

// The implode library exists but cannot be loaded (shown once per run).
inline constexpr std::string_view kCompressionUnusable =
    "System experiencing problem using compression. Program will attempt to continue with "
    "compression disabled.";

// Entry extraction: the status line while a slot is written with progress.
inline constexpr std::string_view kWritingFiles = "Writing Velumar files...";

// Every message of the error reporter begins with this (it ends with a blank).
inline constexpr std::string_view kInstallationError = "Installation Error: ";

// After the system text of a failed package copy.
inline constexpr std::string_view kRetryInstallation =
    "Retry installation. If this message reappears, contact your system administrator to change "
    "your user privileges.";

// A busy ".scr" destination; the path is not shown.
inline constexpr std::string_view kWallpaperBusy =
    "Wallpaper file is busy.\r\n\r\nPlease close the Display Properties control panel and try "
    "again.";

// A busy destination; it begins with a blank, so the message has two after the colon, and the
// path follows it.
inline constexpr std::string_view kFileBusy =
    " File is busy and cannot be replaced. Please close any other application that may be using "
    "this file and try again.\r\n\r\nFile: ";

// An uninstall entry of the wallpaper's name that another program wrote: this, the name, then
// kForeignEntryEnd.
inline constexpr std::string_view kForeignEntry = "The list of installed programs has an entry \"";
inline constexpr std::string_view kForeignEntryEnd =
    "\" that belongs to another program. The wallpaper was not installed, and that entry "
    "was left as it is.";

// Any other code: the system text, a paragraph break, this, the path and ". ".
inline constexpr std::string_view kProblemWithFile = "Problem with file ";
inline constexpr std::string_view kProblemWithFileEnd = ". ";

// Data file expansion.
inline constexpr std::string_view kExpandingFiles = "Expanding files...";
inline constexpr std::string_view kCorvanaError = "Corvana Error: ";
inline constexpr std::string_view kAlreadyInUse = "Velumar data file already in use.";
inline constexpr std::string_view kProblemOpening = "Problem opening Velumar data file.";
inline constexpr std::string_view kProblemReading = "Problem reading Velumar data file. ";
inline constexpr std::string_view kProblemClosing = "Problem closing file.";
inline constexpr std::string_view kFileLabel = "File: ";
inline constexpr std::string_view kLineBreak = "\r\n";
// In the reading message in place of the system's text, which for 100 and 101 is about
// semaphores: these are the short read and the short write.
inline constexpr std::string_view kDiskReadError = "Disk read error";
inline constexpr std::string_view kDiskWriteError = "Disk write error";
// Copy records of a movie package take record 1's file from the preview written at start-up.
inline constexpr std::string_view kMovieSource = "installer.swf";

}  // namespace velumar::package::texts

#endif
