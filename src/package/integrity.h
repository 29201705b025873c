// The integrity record: the installer file's length and a CRC-32 of its bytes, written by the
// package tool into the package header's reserved bytes and checked by the installer on its
// package copy at start-up, before it writes anything else. A download cut short or with a
// damaged block is refused there, whatever part of the file the damage is in.
//
//   header offset  width  field
//               8      4  installerLength  the installer file's length when it was built
//              12      4  installerCrc     CRC-32 of the file's first installerLength bytes
//
// The CRC is the usual CRC-32, as zlib's and the implode library's (the reflected polynomial
// 0xEDB88320, initial and final value 0xFFFFFFFF); the codec's tables serve it. Three places of
// the file count as zero bytes in it, because they are written after the record: the record's
// own 8 bytes, and the two fields that Windows' code signing changes in the PE headers, the
// optional header's CheckSum and the certificate table's data directory entry. Signing appends
// its certificate after the recorded length, where the check does not look, so a signed
// installer passes; so does any other appendix. The recorded length must reach the end of every
// slot the header names, or the record is taken as damaged: bytes of a slot past it would go
// unchecked.
//
// Eight zero bytes are no record: an installer built without one is installed as before.
#ifndef VELUMAR_PACKAGE_INTEGRITY_H
#define VELUMAR_PACKAGE_INTEGRITY_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "package/byte_source.h"

namespace velumar::package {

struct PackageHeader;

inline constexpr size_t kIntegrityRecordOffset = 8;  // in the package header
inline constexpr size_t kIntegrityRecordSize = 8;

struct IntegrityRecord {
    uint32_t installerLength = 0;
    uint32_t installerCrc = 0;

    bool operator==(const IntegrityRecord&) const = default;
};

// The header's record; nothing when its 8 bytes are all zero.
std::optional<IntegrityRecord> integrityRecordOf(const PackageHeader& header) noexcept;

// A part of the file: `length` bytes from `offset`.
struct FileRange {
    uint64_t offset = 0;
    uint64_t length = 0;
};

// The ranges read as zero: at most three (the record, the CheckSum, the certificate entry).
struct ZeroedRanges {
    std::array<FileRange, 3> ranges{};
    size_t count = 0;

    std::span<const FileRange> all() const noexcept { return std::span(ranges).first(count); }
    // Keeps them sorted by offset; ranges that overlap or touch are joined.
    void add(FileRange range) noexcept;
};

// How many of the file's first bytes the PE fields are looked for in.
inline constexpr size_t kPeFieldsWindow = 4096;

// The record in the header at packageOffset, and the CheckSum and certificate-table entry of
// the PE headers when the file's first bytes (`fileStart`, up to kPeFieldsWindow of them) hold
// PE headers that name them.
ZeroedRanges rangesReadAsZero(std::span<const uint8_t> fileStart, uint32_t packageOffset);

// The CRC of a file fed in order, block by block, with the given ranges read as zeros.
class FileCrc {
  public:
    explicit FileCrc(const ZeroedRanges& readAsZero) noexcept : zeroed_(readAsZero) {}

    // The next block, which starts where the previous one ended.
    void add(std::span<const uint8_t> block);
    uint32_t value() const noexcept { return ~running_; }

  private:
    void addPlain(std::span<const uint8_t> bytes);
    void addZeros(uint64_t count);

    ZeroedRanges zeroed_;
    uint64_t position_ = 0;
    uint32_t running_ = 0xFFFFFFFFu;  // complemented, as the codec's CRC keeps it
};

// What a check found.
enum class IntegrityVerdict {
    noRecord,    // built without a record: nothing to check
    sound,       // length and CRC match
    cutShort,    // the file is shorter than the recorded length
    recordLies,  // the recorded length ends before the package does
    crcDiffers,  // a byte of the recorded length differs
    readFailed,  // the file could not be read: systemCode says why
};

struct IntegrityCheck {
    IntegrityVerdict verdict = IntegrityVerdict::noRecord;
    int32_t systemCode = 0;   // for readFailed
    uint64_t fileLength = 0;  // as found
    uint32_t crc = 0;         // as computed, for crcDiffers and sound

    bool refused() const noexcept {
        return verdict != IntegrityVerdict::noRecord && verdict != IntegrityVerdict::sound;
    }
};

// The end of the package the header describes: one past the header and every named slot's
// last stored byte.
uint64_t packageEnd(const PackageHeader& header, uint32_t packageOffset) noexcept;

// The number of bytes the check reads at a time.
inline constexpr size_t kIntegrityBlockSize = 64 * 1024;

// Told after each block of a check, so that a window stays alive while a large installer is
// read.
class IntegrityProgress {
  public:
    virtual void afterBlock() = 0;

  protected:
    ~IntegrityProgress() = default;
};

// Checks the file against the header's record, reading it once from its start in blocks of
// kIntegrityBlockSize.
IntegrityCheck checkIntegrity(ByteSource& file, uint32_t packageOffset, const PackageHeader& header,
                              IntegrityProgress* progress = nullptr);

// The package tool's side, in integrity_seal.cpp so that the installer, which only checks,
// does not carry it.
//
// The record for an installer's bytes whose package header starts at packageOffset: the whole
// file, its CRC taken with the record's own bytes read as zero.
IntegrityRecord integrityRecordFor(std::span<const uint8_t> installer, uint32_t packageOffset);
void setIntegrityRecord(PackageHeader& header, const IntegrityRecord& record) noexcept;

// Writes the record for the installer's bytes into its package header at packageOffset: the
// package tool's last step, once every other byte is in place. False (nothing changed) when
// the file has no whole header there or is too long for the record.
bool sealInstaller(std::span<uint8_t> installer, uint32_t packageOffset);

}  // namespace velumar::package

#endif
