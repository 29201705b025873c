// A ByteSource over an open Win32 file handle: the installer's package copy
// and data file. The handle is borrowed, not owned; reads move the file
// pointer. Positions are set with SetFilePointer, which Windows 95 has (it
// lacks SetFilePointerEx).
#ifndef VELUMAR_PACKAGE_FILE_SOURCE_WIN32_H
#define VELUMAR_PACKAGE_FILE_SOURCE_WIN32_H

#include "package/byte_source.h"

namespace velumar::package {

class Win32FileSource final : public ByteSource {
  public:
    // `file` is a HANDLE opened with GENERIC_READ; kept as void* so that this
    // header does not pull in windows.h.
    explicit Win32FileSource(void* file) noexcept : file_(file) {}

    int32_t readAt(uint64_t offset, std::span<uint8_t> out, size_t& got) noexcept override;
    int32_t size(uint64_t& bytes) noexcept override;

  private:
    void* file_;
};

}  // namespace velumar::package

#endif
