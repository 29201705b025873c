// A readable, seekable byte source: the package copy, the data file, or bytes
// held in memory by the package tool and the tests.
//
// The package readers take a ByteSource so that one parser serves the
// installer (a Win32 file handle, see file_source_win32.h) and the portable
// tool (MemorySource). Sources report failures as operating-system error codes
// and never throw.
#ifndef VELUMAR_PACKAGE_BYTE_SOURCE_H
#define VELUMAR_PACKAGE_BYTE_SOURCE_H

#include <cstddef>
#include <cstdint>
#include <span>

namespace velumar::package {

class ByteSource {
  public:
    virtual ~ByteSource() = default;

    // Reads up to out.size() bytes starting at `offset` (from the first byte of
    // the source) and stores how many arrived in `got`; fewer than asked means
    // the source ended. Returns 0, or the operating-system code of a failure.
    virtual int32_t readAt(uint64_t offset, std::span<uint8_t> out, size_t& got) noexcept = 0;

    // The source's length in bytes. Returns 0, or an operating-system code.
    virtual int32_t size(uint64_t& bytes) noexcept = 0;
};

// Result of readExactly: an operating-system code, or the short-read outcome.
struct ReadOutcome {
    int32_t systemCode = 0;  // non-zero: the source failed
    bool complete = false;   // every requested byte arrived

    bool ok() const noexcept { return systemCode == 0 && complete; }
};

// Reads exactly out.size() bytes at `offset`, looping over partial reads.
ReadOutcome readExactly(ByteSource& source, uint64_t offset, std::span<uint8_t> out) noexcept;

// Bytes held in memory; the caller keeps them alive.
class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::span<const uint8_t> bytes) noexcept : bytes_(bytes) {}

    int32_t readAt(uint64_t offset, std::span<uint8_t> out, size_t& got) noexcept override;
    int32_t size(uint64_t& bytes) noexcept override;

  private:
    std::span<const uint8_t> bytes_;
};

}  // namespace velumar::package

#endif
