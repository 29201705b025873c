// Writing the uninstall entry and giving it back after a failed run: the installer's half of
// the entry (uninstall_entry_win32.h), in an object of its own so that the uninstaller, which
// only removes it, does not carry it.
#include <windows.h>

#include "desktop/desktop_texts.h"
#include "desktop/uninstall_entry_win32.h"
#include "package/package_header.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/registry_win32.h"
#include "util/wallpaper_text.h"
#include "util/windows_version_win32.h"

namespace velumar::desktop {

namespace {

constexpr DWORD kShortPathBuffer = 260;

// The short (8.3) form when the system has one, the path itself otherwise.
std::string shortFormOf(const std::string& path) {
    char buffer[kShortPathBuffer] = {};
    const DWORD length = ::GetShortPathNameA(path.c_str(), buffer, kShortPathBuffer);
    if (length == 0 || length >= kShortPathBuffer) return path;
    return std::string(buffer, length);
}

LONG writeString(HKEY key, std::string_view value, const std::string& text) {
    const std::string name(value);
    return ::RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
}

// A value written back as it was, or deleted when it was not there.
void putValueBack(HKEY key, std::string_view value, const std::optional<std::string>& text) {
    if (text) {
        writeString(key, value, *text);
    } else {
        const std::string name(value);
        ::RegDeleteValueA(key, name.c_str());
    }
}

}  // namespace

std::vector<std::string> ownUninstallers(const std::string& wallpaperName,
                                         const std::string& wallpaperFolder) {
    const std::string program = wallpaperFolder + std::string(package::kUninstallerFileName);
    return {program, shortFormOf(program),
            uninstallString(windowsFolderFromEnvironment(), wallpaperName)};
}

velumar::ErrorCode registerUninstall(const std::string& wallpaperName,
                                     const std::string& wallpaperFolder) {
    return registerUninstallWith(wallpaperName, wallpaperFolder,
                                 windowsVersionFlags().isWindows9x());
}

velumar::ErrorCode registerUninstallWith(const std::string& wallpaperName,
                                         const std::string& wallpaperFolder, bool windows9x) {
    if (!namesOneUninstallKey(wallpaperName)) return ERROR_INVALID_NAME;
    const std::vector<std::string> own = ownUninstallers(wallpaperName, wallpaperFolder);
    if (uninstallEntryOwner(HKEY_LOCAL_MACHINE, wallpaperName, own) == EntryOwner::foreign)
        return velumar::kForeignUninstallEntry;
    const std::string program = wallpaperFolder + std::string(package::kUninstallerFileName);
    const std::string command =
        windows9x ? uninstallCommand(shortFormOf(program), true) : uninstallCommand(program, false);

    const std::string keyPath = uninstallKeyPath(wallpaperName);
    RegistryKey key;
    LONG status =
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return static_cast<velumar::ErrorCode>(status);
    status = writeString(key.get(), texts::kDisplayNameValue, wallpaperDisplayName(wallpaperName));
    if (status == ERROR_SUCCESS)
        status = writeString(key.get(), texts::kUninstallStringValue, command);
    if (status != ERROR_SUCCESS) return static_cast<velumar::ErrorCode>(status);
    key.reset();
    // No per-user entry of ours may stay beside the machine's; another program's stays.
    if (uninstallEntryOwner(HKEY_CURRENT_USER, wallpaperName, own) == EntryOwner::ours)
        deleteRegistryTree(HKEY_CURRENT_USER, keyPath);
    return velumar::kOk;
}

void restoreUninstallEntry(const std::string& wallpaperName, const UninstallEntry& earlier,
                           std::span<const std::string> ownUninstallers) {
    if (!earlier.exists) {
        removeUninstallEntry(wallpaperName, ownUninstallers);
        return;
    }
    RegistryKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstallKeyPath(wallpaperName).c_str(), 0, KEY_WRITE,
                        key.put()) != ERROR_SUCCESS)
        return;
    putValueBack(key.get(), texts::kDisplayNameValue, earlier.displayName);
    putValueBack(key.get(), texts::kUninstallStringValue, earlier.uninstallString);
}

}  // namespace velumar::desktop
