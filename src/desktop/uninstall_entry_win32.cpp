#include "desktop/uninstall_entry_win32.h"

#include <windows.h>

#include "desktop/desktop_texts.h"
#include "desktop/install_paths.h"
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

}  // namespace

package::ErrorCode registerUninstall(const std::string& wallpaperName) {
    return registerUninstallWith(wallpaperName, windowsFolderFromEnvironment(),
                                 windowsVersionFlags().isWindows9x());
}

package::ErrorCode registerUninstallWith(const std::string& wallpaperName,
                                         const std::string& windowsFolder, bool shortForm) {
    if (!namesOneUninstallKey(wallpaperName)) return ERROR_INVALID_NAME;
    const std::string keyPath = uninstallKeyPath(wallpaperName);
    std::string command = uninstallString(windowsFolder, wallpaperName);
    if (shortForm) command = shortFormOf(command);

    RegistryKey key;
    LONG status =
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return static_cast<package::ErrorCode>(status);
    status = writeString(key.get(), texts::kDisplayNameValue, wallpaperDisplayName(wallpaperName));
    if (status == ERROR_SUCCESS)
        status = writeString(key.get(), texts::kUninstallStringValue, command);
    if (status != ERROR_SUCCESS) return static_cast<package::ErrorCode>(status);
    key.reset();
    // No per-user entry of that name may stay beside the machine's.
    deleteRegistryTree(HKEY_CURRENT_USER, keyPath);
    return package::kOk;
}

void removeUninstallEntry(const std::string& wallpaperName) {
    if (!namesOneUninstallKey(wallpaperName)) return;
    const std::string keyPath = uninstallKeyPath(wallpaperName);
    RegistryKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ | KEY_WRITE, key.put()) !=
        ERROR_SUCCESS) {
        return;
    }
    const std::string displayName(texts::kDisplayNameValue);
    const std::string uninstall(texts::kUninstallStringValue);
    ::RegDeleteValueA(key.get(), displayName.c_str());
    ::RegDeleteValueA(key.get(), uninstall.c_str());
    key.reset();
    deleteRegistryTree(HKEY_LOCAL_MACHINE, keyPath);
}

void cleanUpInstallation(const std::string& wallpaperFolder, const std::string& pagePath,
                         const std::string& wallpaperName) {
    deleteFolderTree(wallpaperFolder);
    if (!pagePath.empty()) deleteFileQuiet(pagePath);
    removeUninstallEntry(wallpaperName);
}

}  // namespace velumar::desktop
