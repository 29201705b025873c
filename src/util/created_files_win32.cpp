#include <windows.h>

#include "util/created_files.h"
#include "util/files_win32.h"
#include "util/paths.h"

namespace velumar {

namespace {

bool isFolderLink(const std::string& path) {
    const std::string bare(withoutTrailingBackslash(path));
    const DWORD attributes = ::GetFileAttributesA(bare.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

void CreatedFiles::removeAll() {
    for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
        // A folder on the way that has become a link would lead outside.
        if (!isFolderLink(parentFolder(*file))) deleteFileQuiet(*file);
    }
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
        if (isFolderLink(*folder)) continue;
        const std::string bare(withoutTrailingBackslash(*folder));
        ::SetFileAttributesA(bare.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::RemoveDirectoryA(bare.c_str());
    }
    files_.clear();
    folders_.clear();
}

}  // namespace velumar
