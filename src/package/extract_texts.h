// The entry extraction's user-visible texts, exactly as the installer shows them.
#ifndef VELUMAR_PACKAGE_EXTRACT_TEXTS_H
#define VELUMAR_PACKAGE_EXTRACT_TEXTS_H

#include <string_view>

namespace velumar::package::extract_texts {

// Status line while a slot is written with progress.
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

// Any other code: the system text, a paragraph break, this, the path and ". ".
inline constexpr std::string_view kProblemWithFile = "Problem with file ";
inline constexpr std::string_view kProblemWithFileEnd = ". ";

inline constexpr std::string_view kParagraphBreak = "\r\n\r\n";

}  // namespace velumar::package::extract_texts

#endif
