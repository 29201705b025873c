// The uninstaller's portable rules: its command line, whether it stands in an installed
// wallpaper's folder, and the WININIT.INI line that removes its temporary copy on Windows 95,
// 98 and ME. It is started three ways:
//   uninstall.exe                           by the user, from the uninstall entry: ask, then
//                                           continue from a copy in a temporary folder
//   uninstall.exe /b                        by the installer when slot 10 is named: no window,
//                                           exit 0 at once (reserved for the package's own use)
//   uninstall.exe /continue <pid> "<folder>"  the copy: wait for process <pid> (the original)
//                                           to end, then remove the wallpaper of <folder>
#ifndef VELUMAR_UNINSTALL_UNINSTALL_COMMAND_H
#define VELUMAR_UNINSTALL_UNINSTALL_COMMAND_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velumar::uninstall {

enum class Mode { ask, background, removeFromCopy, unknown };

struct Command {
    Mode mode = Mode::ask;
    uint32_t originalProcess = 0;
    std::string wallpaperFolder;
};

// The words of a command line: blanks separate them, double quotes group blanks into one and
// are dropped.
std::vector<std::string> splitCommandLine(std::string_view line);

// The command line without the program's own name.
Command parseCommand(std::string_view arguments);

// The copy's arguments: "/continue <pid> \"<folder>\"".
std::string continueArguments(uint32_t originalProcess, std::string_view wallpaperFolder);

// The part of a full command line after the program name. A quoted name ends at its closing
// quote. An unquoted one may hold blanks: the uninstall entry stores the path without quotes
// and Windows passes it to the program exactly as written. So a line that begins with one of
// ownPaths (the program's path in its long and short forms, any letter case) followed by a
// blank or the end has that path as its name; failing that the name ends after the first
// ".exe" followed by a blank or the end, and failing that at the first blank.
std::string_view argumentsAfterProgram(std::string_view commandLine,
                                       std::span<const std::string> ownPaths = {});

// The wallpaper whose folder `folder` is: windowsFolder + "Web\Wallpaper\" + name + " dir\"
// (letter case aside) for a name that passes the wallpaper-name rule. Nothing for any other
// folder: an uninstaller there belongs to no installed wallpaper and must change nothing.
std::optional<std::string> wallpaperOfFolder(std::string_view folder,
                                             std::string_view windowsFolder);

// WININIT.INI's text with "NUL=<path>" added to its [rename] section (made when missing):
// Windows 95, 98 and ME delete that file at their next start. Lines already there stay.
std::string wininitWithDeletion(std::string_view wininit, std::string_view path);

}  // namespace velumar::uninstall

#endif
