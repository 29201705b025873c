// uninstall.exe: the package's uninstaller, written into the wallpaper folder from slot 9 and
// named by the uninstall entry. It removes the wallpaper folder (its own folder), the wallpaper
// page beside it and the uninstall entry, and gives the user's desktop back: the wallpaper,
// colour and component flags recorded by the installer ("previous desktop.ini" in the folder)
// where the user has not changed them since, or, without a usable record, clears the Active
// Desktop wallpaper when it is that page. A running program cannot delete its own file, so
// after the question it writes a copy of itself into a temporary folder and lets the copy do
// the removal once the original has ended; the copy started is the file it wrote, checked to
// hold its own bytes and held without write or delete sharing until it has started.
//
// It removes only what it belongs to: its folder, taken from its module path (never from its
// command line), must be <Windows>\Web\Wallpaper\<name> dir\ for a name that passes the
// wallpaper-name rule, and the Uninstall entry of that name must name this program. The copy
// checks the same for the folder it is given before it deletes anything. A copy of
// uninstall.exe anywhere else says so and changes nothing.
#include <windows.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "desktop/active_desktop_win32.h"
#include "desktop/desktop_record_win32.h"
#include "desktop/desktop_texts.h"
#include "desktop/earlier_installation_win32.h"
#include "desktop/install_paths.h"
#include "desktop/uninstall_entry_win32.h"
#include "package/package_header.h"
#include "uninstall/uninstall_command.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/paths.h"
#include "util/system_libraries_win32.h"
#include "util/windows_version_win32.h"

namespace velumar::uninstall {

namespace {

constexpr DWORD kWaitForOriginalMs = 30000;
constexpr int kExitFailure = 1;

std::string ownPath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string shortFormOf(const std::string& path) {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return path;
    return std::string(buffer, length);
}

// The long form of an existing path. GetLongPathNameA is missing on Windows 95; there each
// part is looked up with FindFirstFileA, which reports its long name.
std::string longFormOf(const std::string& path) {
    using GetLongPathNameFunction = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
    const auto getLongPathName = procAddress<GetLongPathNameFunction>(
        ::GetModuleHandleA("kernel32.dll"), "GetLongPathNameA");
    if (getLongPathName) {
        char buffer[MAX_PATH + 1] = {};
        const DWORD length = getLongPathName(path.c_str(), buffer, MAX_PATH);
        if (length != 0 && length <= MAX_PATH) return std::string(buffer, length);
    }
    // "C:\" stays; every later part is replaced by the name the folder lists.
    const size_t root = path.find('\\');
    if (root == std::string::npos) return path;
    std::string result = path.substr(0, root + 1);
    size_t start = root + 1;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        WIN32_FIND_DATAA found{};
        const FindHandle lookup(::FindFirstFileA((result + part).c_str(), &found));
        result += lookup ? std::string(found.cFileName) : part;
        if (end < path.size()) result += '\\';
        start = end + 1;
    }
    return result;
}

std::string systemWindowsFolder() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryA(buffer, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return {};
    return withTrailingBackslash(longFormOf(std::string(buffer, length)));
}

std::optional<std::string> entryUninstallString(const std::string& name) {
    RegistryKey key;
    const std::string keyPath = desktop::uninstallKeyPath(name);
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    char text[MAX_PATH * 2] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    const std::string value(desktop::texts::kUninstallStringValue);
    if (::RegQueryValueExA(key.get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text),
                           &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    return std::string(text);
}

// An installed wallpaper: its name and the program its Uninstall entry names, as written there.
struct InstalledWallpaper {
    std::string name;
    std::string entryProgram;
};

// The wallpaper installed in `folder` whose Uninstall entry names `program` (that folder's
// uninstall.exe) in its long or short form, quoted or not; nothing otherwise.
std::optional<InstalledWallpaper> installedWallpaperOf(const std::string& folder,
                                                       const std::string& program) {
    const std::optional<std::string> name =
        wallpaperOfFolder(longFormOf(folder), systemWindowsFolder());
    if (!name) return std::nullopt;
    const std::optional<std::string> command = entryUninstallString(*name);
    if (!command) return std::nullopt;
    const std::string entryProgram(desktop::uninstallProgram(*command));
    if (!desktop::samePathText(longFormOf(entryProgram), longFormOf(program))) return std::nullopt;
    return InstalledWallpaper{*name, entryProgram};
}

void sayNotInstalled() {
    const std::string text(desktop::texts::kNotAnInstalledWallpaper);
    const std::string caption(desktop::texts::kUninstallCaption);
    ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// Removes the wallpaper, with anything a reinstall left aside for it.
void removeWallpaper(const std::string& folder, const InstalledWallpaper& installed) {
    const std::string& name = installed.name;
    const std::string page = desktop::wallpaperPagePath(systemWindowsFolder(), name);
    // The desktop the user had before the installation comes back where the user has not
    // changed it since; without a usable record the page is only cleared.
    if (!desktop::restoreRecordedDesktop(folder, page) &&
        desktop::samePathText(desktop::currentActiveDesktopWallpaper(), page)) {
        desktop::clearActiveDesktopWallpaper();
    }
    deleteFolderTree(folder);
    deleteFileQuiet(page);
    const std::string ownEntry[] = {installed.entryProgram};
    desktop::removeUninstallEntry(name, ownEntry);
    desktop::deleteEarlierInstallations(package::wallpaperRootFolder(systemWindowsFolder()), name);
}

// This program's bytes written to path and the file opened again, held (others may read it,
// nobody may write, delete or rename it) and holding exactly those bytes; empty otherwise.
FileHandle writeCheckedCopy(const std::string& path) {
    std::string bytes;
    if (!velumar::readWholeFile(ownPath(), bytes) || bytes.empty()) return FileHandle();
    {
        const FileHandle written = createForWriting(path);
        if (!written || writeWhole(written.get(), bytes.data(), bytes.size()) != 0)
            return FileHandle();
    }
    FileHandle held = openForReading(path);
    std::string onDisk;
    onDisk.resize(bytes.size());
    DWORD read = 0;
    if (!held || ::GetFileSize(held.get(), nullptr) != bytes.size() ||
        !::ReadFile(held.get(), onDisk.data(), static_cast<DWORD>(onDisk.size()), &read, nullptr) ||
        read != bytes.size() || onDisk != bytes) {
        return FileHandle();
    }
    return held;
}

// Runs the removal from a copy of this program outside the folder; false when no copy could
// be started. The copy started is the file this wrote and checked, held until it has started.
bool continueFromCopy(const std::string& folder) {
    const std::string temp = makeTempFolder("VLMRU");
    if (temp.empty()) return false;
    const std::string copy = temp + std::string(package::kUninstallerFileName);
    const FileHandle held = writeCheckedCopy(copy);
    if (!held) return false;
    std::string commandLine =
        '"' + copy + "\" " + continueArguments(::GetCurrentProcessId(), folder);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          temp.c_str(), &startup, &process)) {
        return false;
    }
    const KernelHandle thread(process.hThread);
    const KernelHandle started(process.hProcess);
    return true;
}

int askAndRemove() {
    const std::string self = longFormOf(ownPath());
    const std::string folder = parentFolder(self);
    const std::optional<InstalledWallpaper> installed = installedWallpaperOf(folder, self);
    if (!installed) {
        sayNotInstalled();
        return kExitFailure;
    }
    const std::string question = desktop::removeQuestion(installed->name);
    const std::string caption(desktop::texts::kUninstallCaption);
    if (::MessageBoxA(nullptr, question.c_str(), caption.c_str(),
                      MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES) {
        return 0;
    }
    if (!continueFromCopy(folder)) removeWallpaper(folder, *installed);
    return 0;
}

std::string readWholeFile(const std::string& path) {
    const FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    const DWORD size = ::GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE) return {};
    std::string text(size, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), text.data(), size, &read, nullptr)) return {};
    text.resize(read);
    return text;
}

void writeWholeFile(const std::string& path, const std::string& text) {
    const FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

// MoveFileExA with delay-until-reboot on Windows NT and later; nothing on Windows 95, 98 and
// ME, whose kernel lacks it (or exports a stub that fails).
MoveFileExFunction delayedMoveFunction() {
    if (windowsVersionFlags().isWindows9x()) return nullptr;
    return procAddress<MoveFileExFunction>(::GetModuleHandleA("kernel32.dll"), "MoveFileExA");
}

// Deletes the temporary copy and its folder when the system next starts. Windows 95, 98 and ME
// read WININIT.INI's [rename] section instead, which wants the short form of the path and
// takes files only, so the empty folder stays there.
void deleteCopyAtNextStart(const std::string& self) {
    const std::string selfFolder(withoutTrailingBackslash(parentFolder(self)));
    if (const MoveFileExFunction moveFileEx = delayedMoveFunction();
        moveFileEx && moveFileEx(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        moveFileEx(selfFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    const std::string wininit = systemWindowsFolder() + std::string(desktop::texts::kWininitFile);
    writeWholeFile(wininit, wininitWithDeletion(readWholeFile(wininit), shortFormOf(self)));
}

int removeFromCopy(const Command& command) {
    if (KernelHandle original(::OpenProcess(SYNCHRONIZE, FALSE, command.originalProcess));
        original) {
        ::WaitForSingleObject(original.get(), kWaitForOriginalMs);
    }
    const std::string folder = withTrailingBackslash(longFormOf(command.wallpaperFolder));
    const std::optional<InstalledWallpaper> installed =
        installedWallpaperOf(folder, folder + std::string(package::kUninstallerFileName));
    if (!installed) {
        sayNotInstalled();
        return kExitFailure;
    }
    const ComInitGuard com;
    removeWallpaper(folder, *installed);
    deleteCopyAtNextStart(ownPath());
    return 0;
}

int run() {
    const std::string self = ownPath();
    const std::vector<std::string> ownPaths = {self, longFormOf(self), shortFormOf(self)};
    const Command command = parseCommand(argumentsAfterProgram(::GetCommandLineA(), ownPaths));
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
        velumar::loadLibrariesOnlyFromSystemFolder();
        return velumar::uninstall::run();
    } catch (...) {
        return 1;
    }
}
