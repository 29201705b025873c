#include "desktop/desktop_record_win32.h"

#include <windows.h>

#include "desktop/desktop_texts.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/paths.h"

namespace velumar::desktop {

namespace {

namespace t = texts;

RegistryKey openUserKeyForReading(std::string_view path) {
    RegistryKey key;
    const std::string name(path);
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

std::optional<std::string> readString(HKEY key, std::string_view value) {
    if (!key) return std::nullopt;
    const std::string name(value);
    // Values longer than a record may hold are read as absent.
    char text[kLongestRecordValue + 1] = {};
    DWORD size = static_cast<DWORD>(kLongestRecordValue);
    DWORD type = 0;
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text),
                           &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<uint32_t> readNumber(HKEY key, std::string_view value) {
    if (!key) return std::nullopt;
    const std::string name(value);
    DWORD number = 0;
    DWORD size = sizeof number;
    DWORD type = 0;
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof number) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

std::string desktopRecordPath(const std::string& wallpaperFolder) {
    return withTrailingBackslash(wallpaperFolder) + std::string(t::kDesktopRecordFile);
}

std::optional<DesktopRecord> readDesktopRecord(const std::string& wallpaperFolder) {
    const FileHandle file = openForReading(desktopRecordPath(wallpaperFolder));
    if (!file) return std::nullopt;
    // A file larger than any record is not read into memory at all.
    const DWORD size = ::GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > kLongestRecordFile) return std::nullopt;
    std::string text(size, '\0');
    DWORD read = 0;
    if (size != 0 && (!::ReadFile(file.get(), text.data(), size, &read, nullptr) || read != size))
        return std::nullopt;
    return parseDesktopRecord(text);
}

DesktopValues readDesktopValues() {
    DesktopValues values;
    const RegistryKey general = openUserKeyForReading(t::kGeneralKey);
    values.activeWallpaper = readString(general.get(), t::kWallpaperValue);
    values.activeWallpaperStyle = readString(general.get(), t::kWallpaperStyleValue);
    values.activeTileWallpaper = readString(general.get(), t::kTileWallpaperValue);
    const RegistryKey classic = openUserKeyForReading(t::kClassicDesktopKey);
    values.classicWallpaper = readString(classic.get(), t::kWallpaperValue);
    values.classicWallpaperStyle = readString(classic.get(), t::kWallpaperStyleValue);
    values.classicTileWallpaper = readString(classic.get(), t::kTileWallpaperValue);
    values.background = readString(openUserKeyForReading(t::kColorsKey).get(), t::kBackgroundValue);
    values.componentFlags =
        readNumber(openUserKeyForReading(t::kComponentsKey).get(), t::kFlagsValue);
    return values;
}

}  // namespace velumar::desktop
