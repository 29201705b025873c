// A private folder for one test, under the system's temporary path, removed afterwards.
#ifndef VELUMAR_TESTS_UTIL_SCRATCH_FOLDER_WIN32_H
#define VELUMAR_TESTS_UTIL_SCRATCH_FOLDER_WIN32_H

#include <windows.h>

#include <string>

#include "util/files_win32.h"

namespace velumar::testing {

inline std::string writeFile(const std::string& path, const std::string& content = "x") {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    return path;
}

class ScratchFolder {
  public:
    ScratchFolder() {
        char temp[MAX_PATH + 1] = {};
        ::GetTempPathA(sizeof temp, temp);
        const std::string base =
            std::string(temp) + "velumar-test-" + std::to_string(::GetCurrentProcessId()) + "-";
        for (unsigned n = 0; path_.empty(); ++n) {
            const std::string candidate = base + std::to_string(n);
            if (::CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate + '\\';
        }
    }
    ~ScratchFolder() { deleteFolderTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder, with its final "\".
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

}  // namespace velumar::testing

#endif
