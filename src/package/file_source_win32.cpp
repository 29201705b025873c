#include "package/file_source_win32.h"
#include "util/error_text_win32.h"

#include <windows.h>

#include <limits>

namespace velumar::package {

namespace {

// A failing SetFilePointer returns INVALID_SET_FILE_POINTER, which is also a
// valid low part: only GetLastError tells them apart.
int32_t seekTo(HANDLE file, uint64_t offset) noexcept {
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    const DWORD low =
        SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return lastErrorCode();
    return 0;
}

}  // namespace

int32_t Win32FileSource::readAt(uint64_t offset, std::span<uint8_t> out, size_t& got) noexcept {
    got = 0;
    HANDLE file = static_cast<HANDLE>(file_);
    if (const int32_t code = seekTo(file, offset); code != 0) return code;
    const DWORD wanted = out.size() > std::numeric_limits<DWORD>::max()
                             ? std::numeric_limits<DWORD>::max()
                             : static_cast<DWORD>(out.size());
    DWORD read = 0;
    if (!ReadFile(file, out.data(), wanted, &read, nullptr)) return lastErrorCode();
    got = read;
    return 0;
}

int32_t Win32FileSource::size(uint64_t& bytes) noexcept {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(static_cast<HANDLE>(file_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return lastErrorCode();
    bytes = (uint64_t(high) << 32) | low;
    return 0;
}

}  // namespace velumar::package
