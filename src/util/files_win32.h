// System folders, the private temporary folder, and the file and folder operations the
// installer shares (Win32 build only).
// Every folder path handed between these operations ends in "\" unless stated otherwise.
// None of them shows a message.
#ifndef VELUMAR_UTIL_FILES_WIN32_H
#define VELUMAR_UTIL_FILES_WIN32_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/error_codes.h"
#include "util/handles_win32.h"

namespace velumar {

// Fills the Windows folder and the system folder (GetWindowsDirectoryA and
// GetSystemDirectoryA into 301-character buffers, "\" appended). A folder the system cannot
// report within that buffer stays empty. Called once at start-up, before any reader.
void initSystemFolders();
const std::string& windowsFolder();
const std::string& systemFolder();

// WINDIR with "\" appended; the system's Windows directory when WINDIR is unset or empty.
std::string windowsFolderFromEnvironment();

// Creates a folder that did not exist before under TEMP (the system's temporary path when TEMP
// is unset or empty), named base followed by eight random hex digits, private to the user on
// Windows 2000 and XP (private_folder_win32.h), and returns it with "\" appended. A name that
// is taken gets another; after kTempFolderAttempts names, or at the first other failure, it
// gives up and returns an empty string, GetLastError() then holding the reason.
inline constexpr unsigned kTempFolderAttempts = 1000;
std::string makeTempFolder(const std::string& base);

// The whole content of a file into `content`; false when it cannot be opened or read to its
// end (GetLastError() then holds the reason), and `content` is then empty.
bool readWholeFile(const std::string& path, std::string& content);

// The two ways the program opens a file: an existing one for reading, others may read it too;
// a new or emptied one for writing, nobody else may open it meanwhile. Empty on failure, with
// GetLastError() telling why.
FileHandle openForReading(const std::string& path);
FileHandle createForWriting(const std::string& path);

// Writes size bytes at data to file, writing the rest again after a short write. 0, or the
// system's code for the write that failed: a full disk is ERROR_DISK_FULL, also where the
// system reports it only as a write that took fewer bytes and then none at all.
std::int32_t writeWhole(HANDLE file, const void* data, std::size_t size);

// True when a file (not a folder) of that name exists.
bool fileExists(const std::string& path);

// True when GetFileAttributesA succeeds and reports a directory.
bool folderExists(const std::string& path);

// Creates the folder and its missing parents where possible. No result.
void forceFolder(const std::string& folder);

// 0 when no file is left at path (including when there was none); kFileBusy (-32) when the file
// is still there after clearing its attributes and trying again.
std::int32_t deleteFileQuiet(const std::string& path);

// Deletes the folder with everything in it, sub-folders first. A file that cannot be deleted
// stops the walk in its folder and leaves that folder and those above it in place. A folder
// that is a reparse point (junction or symbolic link) is unlinked, never entered: what it
// points to is outside the tree. An empty path does nothing; a missing final "\" is supplied.
void deleteFolderTree(const std::string& folder);

}  // namespace velumar

#endif
