// The uninstaller's command line. It is started three ways:
//   uninstall.exe                           by the user, from the uninstall entry: ask, then
//                                           continue from a copy in a temporary folder
//   uninstall.exe /b                        by the installer when slot 10 is named: no window,
//                                           exit 0 at once (reserved for the package's own use)
//   uninstall.exe /continue <pid> "<folder>"  the copy: wait for process <pid> (the original)
//                                           to end, then remove the wallpaper of <folder>
#ifndef VELUMAR_UNINSTALL_UNINSTALL_COMMAND_H
#define VELUMAR_UNINSTALL_UNINSTALL_COMMAND_H

#include <cstdint>
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

// The part of a full command line after the program name (quoted or not).
std::string_view argumentsAfterProgram(std::string_view commandLine);

}  // namespace velumar::uninstall

#endif
