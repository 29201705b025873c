#include "stub.h"

#include <algorithm>

#include "package/byte_io.h"
#include "package/package_offset.h"

namespace velpack {

namespace {

using velumar::package::ByteReader;
using velumar::package::kPackageOffsetMarker;
using velumar::package::kPackageOffsetRecordSize;
using velumar::package::kPackageOffsetValueOffset;

constexpr size_t kNewHeaderPointerAt = 0x3C;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kSizeOfHeadersInOptionalHeader = 60;
constexpr size_t kSymbolSize = 18;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kDirectoriesAtPe32 = 96;
constexpr size_t kDirectoriesAtPe32Plus = 112;
constexpr size_t kCertificateDirectory = 4;

uint32_t recordValue(std::span<const uint8_t> bytes, size_t recordAt) {
    ByteReader reader(bytes.subspan(recordAt + kPackageOffsetValueOffset));
    return reader.u32();
}

}  // namespace

std::optional<uint64_t> peImageEnd(std::span<const uint8_t> file) {
    if (file.size() < kNewHeaderPointerAt + 4 || file[0] != 'M' || file[1] != 'Z') {
        return std::nullopt;
    }
    ByteReader pointer(file.subspan(kNewHeaderPointerAt));
    const uint32_t peAt = pointer.u32();
    if (peAt > file.size()) return std::nullopt;
    ByteReader pe(file.subspan(peAt));
    if (pe.u32() != 0x00004550) return std::nullopt;  // "PE\0\0"
    pe.skip(2);                                       // machine
    const uint16_t sectionCount = pe.u16();
    pe.skip(4);  // time stamp
    const uint32_t symbolsAt = pe.u32();
    const uint32_t symbolCount = pe.u32();
    const uint16_t optionalSize = pe.u16();
    pe.skip(2);  // characteristics
    if (!pe.ok() || optionalSize < kSizeOfHeadersInOptionalHeader + 4) return std::nullopt;

    const size_t optionalAt = peAt + 4 + kCoffHeaderSize;
    ByteReader optional(file.subspan(std::min(optionalAt, file.size())));
    const uint16_t magic = optional.u16();
    optional.skip(kSizeOfHeadersInOptionalHeader - 2);
    uint64_t end = optional.u32();
    if (!optional.ok()) return std::nullopt;

    const uint64_t sectionsAt = uint64_t(optionalAt) + optionalSize;
    if (sectionsAt > file.size()) return std::nullopt;
    ByteReader sections(file.subspan(static_cast<size_t>(sectionsAt)));
    for (unsigned i = 0; i < sectionCount; ++i) {
        sections.skip(16);  // name, virtual size, virtual address
        const uint32_t rawSize = sections.u32();
        const uint32_t rawAt = sections.u32();
        sections.skip(kSectionHeaderSize - 24);
        if (rawSize != 0) end = std::max<uint64_t>(end, uint64_t(rawAt) + rawSize);
    }
    if (!sections.ok()) return std::nullopt;

    // An unstripped image carries its COFF symbol and string tables after the
    // sections, and a signed one its certificates: both belong to the image.
    if (symbolsAt != 0) {
        const uint64_t stringsAt = uint64_t(symbolsAt) + uint64_t(symbolCount) * kSymbolSize;
        uint64_t stringsSize = 4;
        if (stringsAt + 4 <= file.size()) {
            ByteReader strings(file.subspan(static_cast<size_t>(stringsAt)));
            stringsSize = std::max<uint64_t>(4, strings.u32());
        }
        end = std::max(end, stringsAt + stringsSize);
    }
    const size_t certificatesEntryAt =
        optionalAt + (magic == kPe32PlusMagic ? kDirectoriesAtPe32Plus : kDirectoriesAtPe32) +
        kCertificateDirectory * 8;
    if (certificatesEntryAt + 8 <= sectionsAt) {
        ByteReader certificates(file.subspan(certificatesEntryAt));
        const uint32_t at = certificates.u32();
        const uint32_t size = certificates.u32();
        if (at != 0 && size != 0) end = std::max<uint64_t>(end, uint64_t(at) + size);
    }
    return end;
}

std::vector<size_t> findOffsetRecords(std::span<const uint8_t> bytes) {
    std::vector<size_t> found;
    auto from = bytes.begin();
    while (true) {
        const auto hit = std::search(from, bytes.end(), kPackageOffsetMarker.begin(),
                                     kPackageOffsetMarker.end());
        if (hit == bytes.end()) break;
        const auto at = static_cast<size_t>(hit - bytes.begin());
        if (at + kPackageOffsetRecordSize <= bytes.size()) found.push_back(at);
        from = hit + 1;
    }
    return found;
}

std::string patchStub(std::vector<uint8_t>& stub) {
    const std::vector<size_t> records = findOffsetRecords(stub);
    if (records.empty()) {
        return "the stub has no package offset record: it is not a Velumar installer program";
    }
    if (records.size() > 1) {
        return "the stub holds " + std::to_string(records.size()) +
               " package offset records; expected exactly one";
    }
    const uint32_t current = recordValue(stub, records.front());
    if (current != 0 && current != stub.size()) {
        return "the stub already carries a package at offset " + std::to_string(current) +
               ": give the bare installer program, not a built installer";
    }
    if (stub.size() > UINT32_MAX) return "the stub is larger than 4 GiB";
    const auto size = static_cast<uint32_t>(stub.size());
    const size_t valueAt = records.front() + kPackageOffsetValueOffset;
    for (int i = 0; i < 4; ++i) stub[valueAt + i] = static_cast<uint8_t>(size >> (8 * i));
    return {};
}

std::optional<PackageLocation> locatePackage(std::span<const uint8_t> file,
                                             std::optional<uint64_t> given) {
    if (given) return PackageLocation{*given, OffsetSource::option, {}};
    const std::optional<uint64_t> imageEnd = peImageEnd(file);
    const size_t searchEnd =
        imageEnd ? static_cast<size_t>(std::min<uint64_t>(*imageEnd, file.size())) : file.size();
    std::string recordProblem;
    if (const std::vector<size_t> records = findOffsetRecords(file.first(searchEnd));
        !records.empty()) {
        const size_t at = records.front();
        const uint32_t value = recordValue(file, at);
        if (value >= at + kPackageOffsetRecordSize && value <= file.size()) {
            return PackageLocation{value, OffsetSource::stubRecord, {}};
        }
        recordProblem = value == 0 ? "the stub's package offset is 0: it was never made into "
                                     "an installer"
                                   : "the stub's package offset " + std::to_string(value) +
                                         " points outside the file (" +
                                         std::to_string(file.size()) + " bytes)";
    }
    if (imageEnd && *imageEnd > 0) {
        return PackageLocation{*imageEnd, OffsetSource::peImageEnd, recordProblem};
    }
    return std::nullopt;
}

const char* describe(OffsetSource source) noexcept {
    switch (source) {
        case OffsetSource::option:
            return "given with --offset";
        case OffsetSource::stubRecord:
            return "from the stub's offset record";
        case OffsetSource::peImageEnd:
            return "from the end of the PE image";
    }
    return "";
}

}  // namespace velpack
