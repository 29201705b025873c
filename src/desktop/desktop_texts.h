// The desktop installation's user-visible texts and the fixed names it hands to Windows,
// exactly as the installer uses them.
#ifndef VELUMAR_DESKTOP_DESKTOP_TEXTS_H
#define VELUMAR_DESKTOP_DESKTOP_TEXTS_H

#include <string_view>

namespace velumar::desktop::texts {

// The overwrite question: name + this (two blanks before "Overwrite?"), caption "Confirm".
inline constexpr std::string_view kConfirmCaption = "Confirm";
inline constexpr std::string_view kAlreadyExists = " wallpaper already exists.  Overwrite?";

// The success box (Yes and No, no icon).
inline constexpr std::string_view kSuccessCaption = "Installation Successful.";
inline constexpr std::string_view kSuccessText =
    "The installation of the wallpaper was successful.\r\n\r\nWould you like to open the "
    "Display Properties control panel?";

// The control panel's window title, and its Cancel button's dialog item.
inline constexpr std::string_view kDisplayPropertiesTitle = "Display Properties";
inline constexpr int kDisplayPropertiesCancelItem = 2;

// Started by its full path (never found through the search path, which begins with the
// installer's own, often a download, folder), with the system folder as its working folder.
inline constexpr std::string_view kRundll32 = "rundll32.exe";
inline constexpr std::string_view kDisplayPropertiesArguments =
    "shell32.dll,Control_RunDLL desk.cpl,,0";

// Paths under the Windows folder.
inline constexpr std::string_view kUninstallWallpaperRoot = "WEB\\Wallpaper\\";
inline constexpr std::string_view kUninstallerBackground = "/b";

// Registry keys and values.
inline constexpr std::string_view kComponentsKey =
    "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0";
inline constexpr std::string_view kFlagsValue = "Flags";
inline constexpr std::string_view kGeneralKey =
    "Software\\Microsoft\\Internet Explorer\\Desktop\\General";
inline constexpr std::string_view kWallpaperValue = "Wallpaper";
inline constexpr std::string_view kColorsKey = "Control Panel\\Colors";
inline constexpr std::string_view kBackgroundValue = "Background";
inline constexpr std::string_view kClassicDesktopKey = "Control Panel\\Desktop";
inline constexpr std::string_view kWallpaperStyleValue = "WallpaperStyle";
inline constexpr std::string_view kTileWallpaperValue = "TileWallpaper";
inline constexpr std::string_view kUninstallKeyRoot =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr std::string_view kDisplayNameValue = "DisplayName";
inline constexpr std::string_view kUninstallStringValue = "UninstallString";

// The desktop window that is told to refresh itself.
inline constexpr std::string_view kDesktopClass = "Progman";
inline constexpr std::string_view kDesktopTitle = "Program Manager";

// The uninstaller's question: this + display name + "?" (Yes and No).
inline constexpr std::string_view kRemoveQuestion = "Remove the ";
inline constexpr std::string_view kRemoveQuestionEnd = "?";
inline constexpr std::string_view kUninstallCaption = "Uninstall";
// An uninstaller outside an installed wallpaper's folder, or one its entry does not name.
inline constexpr std::string_view kNotAnInstalledWallpaper =
    "This program does not belong to an installed wallpaper. Nothing was changed.";
// The record of the user's desktop before the installation, in the wallpaper folder, and the
// lines that begin and end it (desktop_record.h).
inline constexpr std::string_view kDesktopRecordFile = "previous desktop.ini";
inline constexpr std::string_view kRecordHeading = "[Velumar previous desktop]";
inline constexpr std::string_view kRecordEnd = "[end]";
// An earlier installation set aside by a reinstall (earlier_installation.h): the folder and
// page names take this, then a number from the second on; the record adds ".ini" to the
// folder's name.
inline constexpr std::string_view kAsideSuffix = ".old";
inline constexpr std::string_view kAsideRecordSuffix = ".ini";
inline constexpr std::string_view kAsideRecordHeading = "[Velumar earlier installation]";
// Windows 95, 98 and ME delete files named under this section of this file at their next start.
inline constexpr std::string_view kWininitFile = "WININIT.INI";

}  // namespace velumar::desktop::texts

#endif
