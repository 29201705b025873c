// The paths, registry texts and command lines of the desktop installation, built from the
// Windows folder (with its final "\") and the wallpaper name. Text only: nothing here looks at
// the disk or the registry.
#ifndef VELUMAR_DESKTOP_INSTALL_PATHS_H
#define VELUMAR_DESKTOP_INSTALL_PATHS_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velumar::desktop {

// Windows folder + "Web\Wallpaper\" + name + ".html".
std::string wallpaperPagePath(std::string_view windowsFolder, std::string_view name);

// Windows folder + "Web\Wallpaper\" + name + " dir\".
std::string wallpaperFolderPath(std::string_view windowsFolder, std::string_view name);

// The same folder without its final "\": the uninstaller's working folder.
std::string uninstallerWorkingFolder(std::string_view windowsFolder, std::string_view name);

// The uninstaller inside that folder, by its full path.
std::string uninstallerPath(std::string_view windowsFolder, std::string_view name);

// "Software\Microsoft\Windows\CurrentVersion\Uninstall\" + name, no escaping.
std::string uninstallKeyPath(std::string_view name);

// A name that names exactly one key below the Uninstall key: not empty and without "\". An
// empty name would make the key path the Uninstall key itself, and deleting it would remove
// every program's entry.
bool namesOneUninstallKey(std::string_view name) noexcept;

// Windows folder (from WINDIR) + "WEB\Wallpaper\" + name + " dir\uninstall.exe": what an entry
// written before the command was quoted names, with no quotes and no arguments.
std::string uninstallString(std::string_view windowsFolder, std::string_view name);

// The UninstallString for the uninstaller at `program`: in quotes, so that the shell starts that
// program and not one named by the path's first words (".\Web\Wallpaper\Ocean.exe" for
// "Ocean WallPaper dir"). With quoteOnlyWithBlanks (the short form on Windows 95, 98 and ME)
// only when it holds a blank.
std::string uninstallCommand(std::string_view program, bool quoteOnlyWithBlanks);

// The program an UninstallString names: the quoted part when it begins with a quote, otherwise
// the whole string (an entry written before the command was quoted: its path may hold blanks).
std::string_view uninstallProgram(std::string_view command) noexcept;

// Whose an uninstall key of the wallpaper's name is. Ours when its UninstallString names one of
// our own uninstallers (the paths compared as Windows does, letter case aside), quoted or not;
// foreign when it names anything else or has no UninstallString; none when there is no key.
enum class EntryOwner { none, ours, foreign };
EntryOwner entryOwner(bool keyExists, const std::optional<std::string>& command,
                      std::span<const std::string> ownUninstallers);

// Red, green and blue in signed decimal, separated by single blanks: "255 128 0".
std::string backgroundColourText(int32_t red, int32_t green, int32_t blue);

// name + " wallpaper already exists.  Overwrite?".
std::string overwriteQuestion(std::string_view name);

// folder + "rundll32.exe": the program that opens Display Properties, by its full path, so that
// a "rundll32.exe" beside the installer is never the one started. 2000 and XP keep it in the
// system folder, 95, 98 and ME in the Windows folder.
std::string displayPropertiesProgram(std::string_view folder);

// Components\0 "Flags" with the bit 0x2000 cleared, or nothing when it is not set (the value
// is then left alone).
std::optional<uint32_t> componentFlagsToWrite(uint32_t flags) noexcept;

// "Remove the " + display name + "?".
std::string removeQuestion(std::string_view wallpaperName);

// The wallpaper name that a wallpaper folder's last part carries: "Beach dir" gives "Beach";
// nothing when the part does not end in " dir" or the name would be empty.
std::optional<std::string> wallpaperNameFromFolder(std::string_view folder);

// ASCII case-insensitive equality of two paths (Windows compares them so).
bool samePathText(std::string_view a, std::string_view b) noexcept;

}  // namespace velumar::desktop

#endif
