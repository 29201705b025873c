#include "flash/file_stream_win32.h"

#include <windows.h>

#include "flash/flash_texts.h"
#include "util/error_text_win32.h"

namespace velumar::flash {
namespace {

[[noreturn]] void raiseFileError() {
    throw MovieError(MovieFailureKind::fileError, texts::kFileError, lastErrorCode());
}

// The largest piece handed to one ReadFile or WriteFile call.
constexpr std::size_t kMaxPiece = 0x40000000;

}  // namespace

TFileStream::TFileStream(const std::string& path, Mode mode) {
    const bool create = mode == Mode::create;
    file_.reset(::CreateFileA(path.c_str(), create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                              create ? 0 : FILE_SHARE_READ, nullptr,
                              create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!file_) raiseFileError();
}

std::size_t TFileStream::read(void* buffer, std::size_t count) {
    DWORD got = 0;
    const DWORD asked = static_cast<DWORD>(count < kMaxPiece ? count : kMaxPiece);
    if (!::ReadFile(file_.get(), buffer, asked, &got, nullptr)) raiseFileError();
    return got;
}

std::size_t TFileStream::write(const void* buffer, std::size_t count) {
    DWORD stored = 0;
    const DWORD asked = static_cast<DWORD>(count < kMaxPiece ? count : kMaxPiece);
    if (!::WriteFile(file_.get(), buffer, asked, &stored, nullptr)) raiseFileError();
    return stored;
}

// SetFilePointer with its high half, as Windows 95 has no SetFilePointerEx.
std::int64_t TFileStream::seek(std::int64_t offset, SeekOrigin origin) {
    const DWORD method = origin == SeekOrigin::beginning ? FILE_BEGIN
                         : origin == SeekOrigin::current ? FILE_CURRENT
                                                         : FILE_END;
    LONG high = static_cast<LONG>(offset >> 32);
    ::SetLastError(NO_ERROR);
    const DWORD low =
        ::SetFilePointer(file_.get(), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) raiseFileError();
    return (static_cast<std::int64_t>(high) << 32) | low;
}

}  // namespace velumar::flash
