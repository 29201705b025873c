// A minimal installer stub: a console program that carries the package offset
// record and reads its own package header back with the installer's reader.
// It stands in for install.exe in tests and in the demo until the installer
// exists, and shows that what the package tool writes is what the installer
// reads.
//
// It prints the wallpaper name and one line per non-empty slot, and exits with
//   0  the header was read and slot 0 covers exactly the bytes before it
//   2  this program was never made into an installer (offset 0)
//   3  its own file cannot be opened
//   4  the header could not be read whole
//   5  slot 0 does not match the package offset
#include <windows.h>

#include <cstdio>

#include "package/file_source_win32.h"
#include "package/package_header.h"
#include "package/package_offset.h"

namespace {

namespace package = velumar::package;

// Closes the file handle on every path out.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) noexcept : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    HANDLE get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

int readOwnPackage() {
    const uint32_t offset = package::packageOffset();
    if (offset == 0) return 2;
    char path[MAX_PATH + 1] = {};
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0) return 3;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 3;

    package::Win32FileSource source(file.get());
    package::PackageHeader header;
    if (package::readPackageHeader(source, offset, header) != velumar::kOk) return 4;

    std::printf("wallpaper %s\nkind %u\n", header.wallpaperName().c_str(), unsigned(header.kind));
    for (int slot = 0; slot < package::kSlotCount; ++slot) {
        const package::PackageEntry& entry = header.slot(slot);
        if (entry.empty()) continue;
        std::printf("slot %d %.*s %ld %ld\n", slot, int(entry.name().size()), entry.name().data(),
                    long(entry.startOffset), long(entry.endOffset));
    }
    const package::PackageEntry& self = header.slot(package::slots::installer);
    if (self.startOffset != 0 || uint32_t(self.endOffset) + 1 != offset) return 5;
    return 0;
}

}  // namespace

int main() {
    return readOwnPackage();
}
