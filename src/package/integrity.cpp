#include "package/integrity.h"

#include <algorithm>
#include <array>
#include <vector>

#include "implode/codec.h"
#include "package/byte_io.h"
#include "package/package_header.h"

namespace velumar::package {

namespace {

// Where the PE headers keep the two fields that code signing writes.
//   0x3C in the file            e_lfanew: the offset of "PE\0\0"
//   e_lfanew + 20               SizeOfOptionalHeader (16 bits)
//   e_lfanew + 24               the optional header; its Magic is 0x10B (PE32) or 0x20B (PE32+)
//   optional + 64               CheckSum (32 bits)
//   optional + 92 / + 108       NumberOfRvaAndSizes (PE32 / PE32+)
//   optional + 128 / + 144      data directory 4, the certificate table (8 bytes)
constexpr size_t kNewHeaderPointer = 0x3C;
constexpr size_t kOptionalHeaderSizeField = 20;
constexpr size_t kOptionalHeaderStart = 24;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kCheckSumField = 64;
constexpr size_t kCheckSumSize = 4;
constexpr size_t kCertificateDirectoryIndex = 4;
constexpr size_t kDataDirectorySize = 8;

uint16_t u16At(std::span<const uint8_t> bytes, size_t at) noexcept {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t u32At(std::span<const uint8_t> bytes, size_t at) noexcept {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// Whether `count` bytes at `at` lie inside bytes, without overflow.
bool inside(std::span<const uint8_t> bytes, uint64_t at, uint64_t count) noexcept {
    return at <= bytes.size() && count <= bytes.size() - at;
}

void addPeFields(std::span<const uint8_t> start, ZeroedRanges& ranges) {
    if (!inside(start, 0, kNewHeaderPointer + 4) || start[0] != 'M' || start[1] != 'Z') return;
    const uint64_t pe = u32At(start, kNewHeaderPointer);
    if (!inside(start, pe, kOptionalHeaderStart + 2) || start[pe] != 'P' || start[pe + 1] != 'E' ||
        start[pe + 2] != 0 || start[pe + 3] != 0)
        return;
    const uint64_t optionalSize = u16At(start, pe + kOptionalHeaderSizeField);
    const uint64_t optional = pe + kOptionalHeaderStart;
    const uint16_t magic = u16At(start, optional);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) return;
    if (optionalSize < kCheckSumField + kCheckSumSize ||
        !inside(start, optional + kCheckSumField, kCheckSumSize))
        return;
    ranges.add({optional + kCheckSumField, kCheckSumSize});

    const uint64_t countField = magic == kPe32Magic ? 92 : 108;
    const uint64_t directories = countField + 4;
    const uint64_t certificate = directories + kCertificateDirectoryIndex * kDataDirectorySize;
    if (optionalSize < certificate + kDataDirectorySize ||
        !inside(start, optional + certificate, kDataDirectorySize) ||
        u32At(start, static_cast<size_t>(optional + countField)) <= kCertificateDirectoryIndex)
        return;
    ranges.add({optional + certificate, kDataDirectorySize});
}

}  // namespace

std::optional<IntegrityRecord> integrityRecordOf(const PackageHeader& header) noexcept {
    const auto& bytes = header.reserved8;
    if (std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; }))
        return std::nullopt;
    return IntegrityRecord{u32At(bytes, 0), u32At(bytes, 4)};
}

void ZeroedRanges::add(FileRange range) noexcept {
    if (count == ranges.size()) return;  // three at most are ever added
    size_t at = count++;
    for (; at > 0 && ranges[at - 1].offset > range.offset; --at) ranges[at] = ranges[at - 1];
    ranges[at] = range;
    size_t kept = 0;
    for (size_t i = 1; i < count; ++i) {
        FileRange& last = ranges[kept];
        if (ranges[i].offset <= last.offset + last.length) {
            last.length = std::max(last.length, ranges[i].offset + ranges[i].length - last.offset);
        } else {
            ranges[++kept] = ranges[i];
        }
    }
    count = kept + 1;
}

ZeroedRanges rangesReadAsZero(std::span<const uint8_t> fileStart, uint32_t packageOffset) {
    ZeroedRanges ranges;
    ranges.add({uint64_t(packageOffset) + kIntegrityRecordOffset, kIntegrityRecordSize});
    addPeFields(fileStart.first(std::min(fileStart.size(), kPeFieldsWindow)), ranges);
    return ranges;
}

void FileCrc::addPlain(std::span<const uint8_t> bytes) {
    running_ = implode::crc32Update(running_, bytes);
}

void FileCrc::addZeros(uint64_t count) {
    static constexpr std::array<uint8_t, 64> kZeros{};
    while (count > 0) {
        const size_t now = static_cast<size_t>(std::min<uint64_t>(count, kZeros.size()));
        addPlain(std::span(kZeros).first(now));
        count -= now;
    }
}

void FileCrc::add(std::span<const uint8_t> block) {
    const uint64_t start = position_;
    const uint64_t end = start + block.size();
    uint64_t at = start;
    for (const FileRange& range : zeroed_.all()) {
        const uint64_t rangeEnd = range.offset + range.length;
        if (rangeEnd <= at) continue;
        if (range.offset >= end) break;
        if (range.offset > at) {
            addPlain(block.subspan(static_cast<size_t>(at - start),
                                   static_cast<size_t>(range.offset - at)));
            at = range.offset;
        }
        const uint64_t zeroEnd = std::min(rangeEnd, end);
        addZeros(zeroEnd - at);
        at = zeroEnd;
    }
    if (at < end) addPlain(block.subspan(static_cast<size_t>(at - start)));
    position_ = end;
}

uint64_t packageEnd(const PackageHeader& header, uint32_t packageOffset) noexcept {
    uint64_t end = uint64_t(packageOffset) + kPackageHeaderSize;
    for (int slot = slots::compressionLibrary; slot < kSlotCount; ++slot) {
        const PackageEntry& entry = header.slot(slot);
        if (entry.empty() || entry.endOffset < 0) continue;
        end = std::max<uint64_t>(end, uint64_t(uint32_t(entry.endOffset)) + 1);
    }
    return end;
}

IntegrityCheck checkIntegrity(ByteSource& file, uint32_t packageOffset, const PackageHeader& header,
                              IntegrityProgress* progress) {
    IntegrityCheck check;
    const std::optional<IntegrityRecord> record = integrityRecordOf(header);
    if (!record) return check;
    if (const int32_t code = file.size(check.fileLength); code != 0) {
        check.verdict = IntegrityVerdict::readFailed;
        check.systemCode = code;
        return check;
    }
    if (record->installerLength < packageEnd(header, packageOffset)) {
        check.verdict = IntegrityVerdict::recordLies;
        return check;
    }
    if (check.fileLength < record->installerLength) {
        check.verdict = IntegrityVerdict::cutShort;
        return check;
    }

    std::vector<uint8_t> block(kIntegrityBlockSize);
    std::optional<FileCrc> crc;
    for (uint64_t at = 0; at < record->installerLength;) {
        const size_t wanted =
            static_cast<size_t>(std::min<uint64_t>(block.size(), record->installerLength - at));
        const std::span<uint8_t> bytes = std::span(block).first(wanted);
        const ReadOutcome read = readExactly(file, at, bytes);
        if (!read.ok()) {
            check.verdict =
                read.systemCode != 0 ? IntegrityVerdict::readFailed : IntegrityVerdict::cutShort;
            check.systemCode = read.systemCode;
            return check;
        }
        if (!crc) crc.emplace(rangesReadAsZero(bytes, packageOffset));
        crc->add(bytes);
        at += wanted;
        if (progress) progress->afterBlock();
    }
    check.crc = crc ? crc->value() : 0;
    check.verdict =
        check.crc == record->installerCrc ? IntegrityVerdict::sound : IntegrityVerdict::crcDiffers;
    return check;
}

}  // namespace velumar::package
