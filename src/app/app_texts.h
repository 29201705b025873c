// The installer application's user-visible texts, exactly as the installer shows them.
#ifndef VELUMAR_APP_APP_TEXTS_H
#define VELUMAR_APP_APP_TEXTS_H

#include <string_view>

namespace velumar::app::texts {

// The application title until start-up replaces it with the window caption.
inline constexpr std::string_view kApplicationTitle = "Preparing for installation...";

// The start-up failure box: these two, the code in decimal, then kCorruptedEnd.
inline constexpr std::string_view kInstallerCorrupted = "Installer file is corrupted. ";
inline constexpr std::string_view kCorvanaError = "Corvana Error: ";
inline constexpr std::string_view kCorruptedEnd = ". ";
// After the box's code, for an installer file that is damaged or cut short: what to do.
inline constexpr std::string_view kDownloadAgain =
    "\r\n\r\nThe installer file was damaged on its way to this computer. "
    "Please download it again.";

// A preview picture that cannot be loaded.
inline constexpr std::string_view kCorruptFile = "CorruptFile: ";

// The installer window's buttons.
inline constexpr std::string_view kInstallDesigned = "&Install";
inline constexpr std::string_view kInstall = "Install";
inline constexpr std::string_view kAcceptAndInstall = "Accept and Install";
inline constexpr std::string_view kCancel = "Cancel";
inline constexpr std::string_view kClose = "Close";

// The installer window's states.
inline constexpr std::string_view kPreparing = "Preparing for installation...";
inline constexpr std::string_view kAborted = "Installation Aborted. Cleaning up files...";
inline constexpr std::string_view kComplete = "Velumar Installation and Setup Complete.";
inline constexpr std::string_view kInstallFailed =
    "Install failed. Please try again with new copy of the installer. Error: ";

// The message box.
inline constexpr std::string_view kMessageBoxCaption = "Preparing Installation...";
inline constexpr std::string_view kMessageBoxText =
    "Please exit all applications and press Continue or press Cancel to abort installation.";
inline constexpr std::string_view kContinue = "Continue";

// The preparing window's one line (with its trailing blank).
inline constexpr std::string_view kPreparingLine = "Preparing installation ... ";

// The package copy (the wallpaper folder's texts are the desktop subsystem's).
inline constexpr std::string_view kPackageCopyFolderBase = "VLMR";
inline constexpr std::string_view kPackageCopyName = "temp.dat";
// Beside it, start-up's files while an earlier installation stands in the wallpaper folder.
inline constexpr std::string_view kStartupFilesFolder = "startup";

inline constexpr std::string_view kFontName = "MS Sans Serif";

}  // namespace velumar::app::texts

#endif
