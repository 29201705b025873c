// Reading the records of earlier installations set aside, and deleting what they say is aside:
// shared by the installer and the uninstaller, in an object of its own so that the uninstaller
// carries nothing of setting aside and giving back (earlier_installation_win32.cpp).
#include <windows.h>

#include "desktop/earlier_installation_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"

namespace velumar::desktop {

namespace {

bool pathExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::optional<EarlierInstallation> readEarlierRecord(const std::string& wallpaperRoot,
                                                     const std::string& name, int number) {
    const FileHandle file = openForReading(asideRecordPath(wallpaperRoot, name, number));
    if (!file) return std::nullopt;
    const DWORD size = ::GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > kLongestEarlierRecord) return std::nullopt;
    std::string text(size, '\0');
    DWORD read = 0;
    if (size != 0 && (!::ReadFile(file.get(), text.data(), size, &read, nullptr) || read != size))
        return std::nullopt;
    std::optional<EarlierInstallation> record = parseEarlierInstallation(text);
    if (!record || record->wallpaperName != name || record->number != number) return std::nullopt;
    return record;
}

void deleteAsideCopies(const std::string& root, const EarlierInstallation& record) {
    const std::string folder = asideFolderPath(root, record.wallpaperName, record.number);
    const std::string page = asidePagePath(root, record.wallpaperName, record.number);
    if (record.folder) deleteFolderTree(folder);
    if (record.page) deleteFileQuiet(page);
    if (!pathExists(folder) && !pathExists(page))
        ::DeleteFileA(asideRecordPath(root, record.wallpaperName, record.number).c_str());
}

void deleteEarlierInstallations(const std::string& wallpaperRoot, const std::string& name) {
    for (int number = 1; number <= kAsideNumbers; ++number) {
        if (const auto record = readEarlierRecord(wallpaperRoot, name, number))
            deleteAsideCopies(wallpaperRoot, *record);
    }
}

}  // namespace velumar::desktop
