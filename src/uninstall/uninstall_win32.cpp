// uninstall.exe: the package's uninstaller, written into the wallpaper folder from slot 9 and
// named by the uninstall entry. It removes the wallpaper folder (its own folder), the wallpaper
// page beside it and the uninstall entry, and clears the Active Desktop wallpaper when it is
// that page. A running program cannot delete its own file, so after the question it copies
// itself to a temporary folder and lets the copy do the removal once the original has ended.
#include <windows.h>

#include <exception>
#include <string>

#include "desktop/active_desktop_win32.h"
#include "desktop/desktop_texts.h"
#include "desktop/install_paths.h"
#include "desktop/uninstall_entry_win32.h"
#include "uninstall/uninstall_command.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/paths.h"

namespace velumar::uninstall {

namespace {

constexpr DWORD kWaitForOriginalMs = 30000;
constexpr int kExitFailure = 1;

std::string ownPath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

void removeWallpaper(const std::string& folder, const std::string& name) {
    const std::string page = parentFolder(folder) + name + std::string(desktop::texts::kPageSuffix);
    if (desktop::samePathText(desktop::currentActiveDesktopWallpaper(), page)) {
        desktop::clearActiveDesktopWallpaper();
    }
    deleteFolderTree(folder);
    deleteFileQuiet(page);
    desktop::removeUninstallEntry(name);
}

// Runs the removal from a copy of this program outside the folder; false when no copy could
// be started.
bool continueFromCopy(const std::string& folder) {
    const std::string temp = makeTempFolder("VLMRU");
    if (temp.empty()) return false;
    const std::string copy = temp + std::string(desktop::texts::kUninstaller);
    if (!::CopyFileA(ownPath().c_str(), copy.c_str(), FALSE)) return false;
    std::string commandLine =
        '"' + copy + "\" " + continueArguments(::GetCurrentProcessId(), folder);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          temp.c_str(), &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

int askAndRemove() {
    const std::string folder = parentFolder(ownPath());
    const auto name = desktop::wallpaperNameFromFolder(folder);
    if (!name) return kExitFailure;
    const std::string question = desktop::removeQuestion(*name);
    const std::string caption(desktop::texts::kUninstallCaption);
    if (::MessageBoxA(nullptr, question.c_str(), caption.c_str(),
                      MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES) {
        return 0;
    }
    if (!continueFromCopy(folder)) removeWallpaper(folder, *name);
    return 0;
}

int removeFromCopy(const Command& command) {
    const auto name = desktop::wallpaperNameFromFolder(command.wallpaperFolder);
    if (!name) return kExitFailure;
    if (KernelHandle original(::OpenProcess(SYNCHRONIZE, FALSE, command.originalProcess));
        original) {
        ::WaitForSingleObject(original.get(), kWaitForOriginalMs);
    }
    const ComInitGuard com;
    removeWallpaper(withTrailingBackslash(command.wallpaperFolder), *name);
    // The copy's own file and folder go when the system next starts.
    const std::string self = ownPath();
    ::MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    const std::string selfFolder(withoutTrailingBackslash(parentFolder(self)));
    ::MoveFileExA(selfFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 0;
}

int run() {
    const Command command = parseCommand(argumentsAfterProgram(::GetCommandLineA()));
    switch (command.mode) {
        case Mode::background:
            return 0;
        case Mode::ask:
            return askAndRemove();
        case Mode::removeFromCopy:
            return removeFromCopy(command);
        case Mode::unknown:
            break;
    }
    return kExitFailure;
}

}  // namespace

}  // namespace velumar::uninstall

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return velumar::uninstall::run();
    } catch (...) {
        return 1;
    }
}
