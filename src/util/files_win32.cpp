#include "util/files_win32.h"

#include <windows.h>

#include "util/created_files.h"
#include "util/error_text_win32.h"
#include "util/handles_win32.h"
#include "util/paths.h"
#include "util/private_folder_win32.h"

namespace velumar {
namespace {

// The buffer the installer has always given the two folder queries.
constexpr UINT kSystemFolderBuffer = 301;

std::string g_windowsFolder;
std::string g_systemFolder;

using FolderQuery = UINT(WINAPI*)(LPSTR, UINT);

// A result that does not fit the buffer (the return value is then the size needed) is no
// folder at all rather than a cut-off one.
std::string querySystemFolder(FolderQuery query) {
    char buffer[kSystemFolderBuffer] = {};
    const UINT length = query(buffer, kSystemFolderBuffer);
    if (length == 0 || length >= kSystemFolderBuffer) return {};
    return withTrailingBackslash(std::string_view(buffer, length));
}

std::string environmentVariable(const char* name) {
    std::string value(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetEnvironmentVariableA(name, value.data(), value.size());
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

std::string systemTempPath() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    return std::string(buffer, length);
}

bool isFolderLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A junction or directory symbolic link is removed as a directory entry; the folder it points
// to is never opened. DeleteFileA is the second try because some systems (Wine among them,
// where the link is a Unix symbolic link) only unlink such an entry as a file.
void removeFolderLink(const std::string& link) {
    const std::string path(withoutTrailingBackslash(link));
    if (!::RemoveDirectoryA(path.c_str())) ::DeleteFileA(path.c_str());
}

bool isDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Deletes the folder's entries; a file that cannot be deleted ends the walk, so that it and
// the folders above it stay.
void deleteFolderContents(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    FindHandle find(::FindFirstFileA((folder + "*.*").c_str(), &entry));
    if (!find) return;
    do {
        const std::string path = folder + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (isDotEntry(entry.cFileName)) continue;
            if (isFolderLink(entry.dwFileAttributes))
                removeFolderLink(path);
            else
                deleteFolderTree(path + '\\');
        } else if (deleteFileQuiet(path) != 0) {
            return;
        }
    } while (::FindNextFileA(find.get(), &entry));
}

}  // namespace

void initSystemFolders() {
    g_windowsFolder = querySystemFolder(::GetWindowsDirectoryA);
    g_systemFolder = querySystemFolder(::GetSystemDirectoryA);
}

const std::string& windowsFolder() {
    return g_windowsFolder;
}
const std::string& systemFolder() {
    return g_systemFolder;
}

std::string windowsFolderFromEnvironment() {
    const std::string windir = environmentVariable("WINDIR");
    if (!windir.empty()) return withTrailingBackslash(windir);
    return querySystemFolder(::GetWindowsDirectoryA);
}

std::string makeTempFolder(const std::string& base) {
    std::string temp = environmentVariable("TEMP");
    if (temp.empty()) temp = systemTempPath();
    if (temp.empty()) return {};
    const std::string folder = withTrailingBackslash(temp);
    PrivateFolderSecurity security;
    for (unsigned attempt = 0; attempt < kTempFolderAttempts; ++attempt) {
        const std::string candidate = folder + randomFolderName(base, unguessableValue());
        if (::CreateDirectoryA(candidate.c_str(), security.attributes())) return candidate + '\\';
        // Only a name already taken is worth another try; TEMP itself may be missing or closed.
        const DWORD reason = ::GetLastError();
        if (reason != ERROR_ALREADY_EXISTS && reason != ERROR_FILE_EXISTS) break;
    }
    return {};
}

FileHandle openForReading(const std::string& path) {
    return FileHandle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle createForWriting(const std::string& path) {
    return FileHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::int32_t writeWhole(HANDLE file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD wanted = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, bytes, wanted, &written, nullptr)) return lastErrorCode();
        // A write that succeeds without taking a byte is how a full disk shows on Windows 95.
        if (written == 0) return ERROR_DISK_FULL;
        bytes += written;
        size -= written;
    }
    return 0;
}

bool fileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void forceFolder(const std::string& folder) {
    if (!folderExists(folder)) {
        const std::string parent = parentFolder(folder);
        if (parent.size() < folder.size()) forceFolder(parent);
    }
    if (!folder.empty()) ::CreateDirectoryA(folder.c_str(), nullptr);
}

std::int32_t deleteFileQuiet(const std::string& path) {
    if (!fileExists(path)) return 0;
    if (::DeleteFileA(path.c_str())) return 0;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (::DeleteFileA(path.c_str())) return 0;
    return kFileBusy;
}

void deleteFolderTree(const std::string& folder) {
    if (folder.empty()) return;
    const std::string tree = withTrailingBackslash(folder);
    const std::string bare(withoutTrailingBackslash(tree));
    const DWORD attributes = ::GetFileAttributesA(bare.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && isFolderLink(attributes)) {
        removeFolderLink(tree);
        return;
    }
    deleteFolderContents(tree);
    ::SetFileAttributesA(tree.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(tree.c_str());
}

bool readWholeFile(const std::string& path, std::string& content) {
    content.clear();
    const FileHandle file = openForReading(path);
    if (!file) return false;
    const DWORD size = ::GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE) return false;
    content.resize(size);
    DWORD read = 0;
    if (size != 0 &&
        (!::ReadFile(file.get(), content.data(), size, &read, nullptr) || read != size)) {
        if (read != size) ::SetLastError(ERROR_HANDLE_EOF);
        content.clear();
        return false;
    }
    return true;
}

}  // namespace velumar
