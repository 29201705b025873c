#include "desktop/uninstall_entry_win32.h"

#include <windows.h>

#include "desktop/desktop_texts.h"
#include "util/handles_win32.h"
#include "util/registry_win32.h"

namespace velumar::desktop {

namespace {

// Longer values than a path may be are read as absent: an entry of ours never holds one.
constexpr DWORD kLongestValue = 1024;

std::optional<std::string> readString(HKEY key, std::string_view value) {
    const std::string name(value);
    char text[kLongestValue + 1] = {};
    DWORD size = kLongestValue;
    DWORD type = 0;
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text),
                           &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::string(text);
}

void deleteEntryKey(HKEY root, const std::string& keyPath) {
    RegistryKey key;
    if (::RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_WRITE, key.put()) == ERROR_SUCCESS) {
        const std::string displayName(texts::kDisplayNameValue);
        const std::string uninstall(texts::kUninstallStringValue);
        ::RegDeleteValueA(key.get(), displayName.c_str());
        ::RegDeleteValueA(key.get(), uninstall.c_str());
    }
    key.reset();
    deleteRegistryTree(root, keyPath);
}

}  // namespace

UninstallEntry readUninstallEntry(HKEY root, const std::string& wallpaperName) {
    UninstallEntry entry;
    if (!namesOneUninstallKey(wallpaperName)) return entry;
    RegistryKey key;
    if (::RegOpenKeyExA(root, uninstallKeyPath(wallpaperName).c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
        return entry;
    entry.exists = true;
    entry.displayName = readString(key.get(), texts::kDisplayNameValue);
    entry.uninstallString = readString(key.get(), texts::kUninstallStringValue);
    return entry;
}

EntryOwner uninstallEntryOwner(HKEY root, const std::string& wallpaperName,
                               std::span<const std::string> ownUninstallers) {
    const UninstallEntry entry = readUninstallEntry(root, wallpaperName);
    return entryOwner(entry.exists, entry.uninstallString, ownUninstallers);
}

void removeUninstallEntry(const std::string& wallpaperName,
                          std::span<const std::string> ownUninstallers) {
    if (uninstallEntryOwner(HKEY_LOCAL_MACHINE, wallpaperName, ownUninstallers) != EntryOwner::ours)
        return;
    deleteEntryKey(HKEY_LOCAL_MACHINE, uninstallKeyPath(wallpaperName));
}

}  // namespace velumar::desktop
