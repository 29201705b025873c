#include "package/data_file.h"

#include <algorithm>
#include <cassert>
#include <new>

#include "package/byte_io.h"
#include "package/package_rules.h"

namespace velumar::package {

namespace {

constexpr size_t kRecordCountAt = 212;
constexpr size_t kHeaderWallpaperNameAt = 248;
constexpr size_t kHeaderWallpaperNameWidth = 64;
constexpr size_t kDataKindAt = 1204;

constexpr size_t kRecordNameAt = 2;
constexpr size_t kBlockOffsetAt = 260;

constexpr size_t kBlockSizeAt = 8;
constexpr size_t kBlockStoredSizeAt = 12;
constexpr size_t kBlockCompressedAt = 16;

std::string textUpToNul(std::span<const uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), uint8_t{0});
    return std::string(field.begin(), end);
}

bool storeText(std::span<uint8_t> field, std::string_view text, size_t maxLength) noexcept {
    if (text.size() > maxLength) return false;
    std::fill(field.begin(), field.end(), uint8_t{0});
    std::copy(text.begin(), text.end(), field.begin());
    return true;
}

DataFileCheck failure(DataFileProblem problem, int record = 0, int32_t code = 0) {
    return {problem, record, code, {}};
}

DataFileCheck fromRead(const ReadOutcome& outcome, DataFileProblem whenShort, int record) {
    if (outcome.systemCode != 0)
        return failure(DataFileProblem::readFailed, record, outcome.systemCode);
    if (!outcome.complete) return failure(whenShort, record);
    return {};
}

bool liesInside(int64_t offset, int64_t length, uint64_t fileSize) noexcept {
    return offset >= 0 && length >= 0 && static_cast<uint64_t>(offset) <= fileSize &&
           static_cast<uint64_t>(length) <= fileSize - static_cast<uint64_t>(offset);
}

DataFileCheck checkBlock(ByteSource& source, const DataFile& file, int number, BlockHeader& block) {
    const int64_t offset = file.record(number).blockOffset();
    if (!liesInside(offset, kBlockHeaderSize, file.fileSize)) {
        return failure(DataFileProblem::blockOutsideFile, number);
    }
    const ReadOutcome read = readExactly(source, static_cast<uint64_t>(offset), block.bytes);
    if (DataFileCheck check = fromRead(read, DataFileProblem::blockOutsideFile, number);
        !check.ok()) {
        return check;
    }
    if (block.size() < 0 || (block.compressed() && block.storedSize() < 0)) {
        return failure(DataFileProblem::negativeBlockSize, number);
    }
    // A block of size 0 writes no file, and its stored bytes are never read.
    if (block.size() == 0) return {};
    if (!liesInside(offset + int64_t(kBlockHeaderSize), block.storedLength(), file.fileSize)) {
        return failure(DataFileProblem::storedBytesOutsideFile, number);
    }
    return {};
}

}  // namespace

int32_t DataFileHeader::recordCount() const noexcept {
    return loadI32(bytes, kRecordCountAt);
}

void DataFileHeader::setRecordCount(int32_t count) noexcept {
    storeI32(bytes, kRecordCountAt, count);
}

std::string DataFileHeader::wallpaperName() const {
    return textUpToNul(std::span(bytes).subspan(kHeaderWallpaperNameAt, kHeaderWallpaperNameWidth));
}

bool DataFileHeader::setWallpaperName(std::string_view name) noexcept {
    return storeText(std::span(bytes).subspan(kHeaderWallpaperNameAt, kHeaderWallpaperNameWidth),
                     name, kHeaderWallpaperNameWidth);
}

int32_t DataFileHeader::dataKind() const noexcept {
    return loadI32(bytes, kDataKindAt);
}

void DataFileHeader::setDataKind(int32_t kind) noexcept {
    storeI32(bytes, kDataKindAt, kind);
}

std::string DataRecord::name() const {
    return textUpToNul(std::span(bytes).subspan(kRecordNameAt, kRecordNameWidth));
}

bool DataRecord::setName(std::string_view name) noexcept {
    return storeText(std::span(bytes).subspan(kRecordNameAt, kRecordNameWidth), name,
                     kRecordNameMax);
}

int32_t DataRecord::blockOffset() const noexcept {
    return loadI32(bytes, kBlockOffsetAt);
}

void DataRecord::setBlockOffset(int32_t offset) noexcept {
    storeI32(bytes, kBlockOffsetAt, offset);
}

bool BlockHeader::hasTag() const noexcept {
    return std::equal(kBlockTag.begin(), kBlockTag.end(), bytes.begin());
}

void BlockHeader::setTag() noexcept {
    std::copy(kBlockTag.begin(), kBlockTag.end(), bytes.begin());
}

int32_t BlockHeader::size() const noexcept {
    return loadI32(bytes, kBlockSizeAt);
}

void BlockHeader::setSize(int32_t size) noexcept {
    storeI32(bytes, kBlockSizeAt, size);
}

int32_t BlockHeader::storedSize() const noexcept {
    return loadI32(bytes, kBlockStoredSizeAt);
}

void BlockHeader::setStoredSize(int32_t size) noexcept {
    storeI32(bytes, kBlockStoredSizeAt, size);
}

bool BlockHeader::compressed() const noexcept {
    return loadI32(bytes, kBlockCompressedAt) != 0;
}

void BlockHeader::setCompressed(bool compressed) noexcept {
    storeI32(bytes, kBlockCompressedAt, compressed ? 1 : 0);
}

int64_t BlockHeader::storedLength() const noexcept {
    return compressed() ? storedSize() : size();
}

const DataRecord& DataFile::record(int number) const noexcept {
    assert(number >= 1 && number <= recordCount());
    return records[static_cast<size_t>(number - 1)];
}

bool DataFile::isCopyRecord(int number) const noexcept {
    if (number == 1 && header.dataKind() == kMovieDataKind) return true;
    return record(number).type() == kCopyRecordType;
}

bool DataFile::hasBlock(int number) const noexcept {
    return !record(number).name().empty() && !isCopyRecord(number);
}

const BlockHeader* DataFile::block(int number) const noexcept {
    assert(number >= 1 && number <= recordCount());
    const auto& held = blocks[static_cast<size_t>(number - 1)];
    return held ? &*held : nullptr;
}

DataFileCheck readDataFile(ByteSource& source, DataFile& out) {
    DataFile file;
    if (const int32_t code = source.size(file.fileSize); code != 0) {
        return failure(DataFileProblem::readFailed, 0, code);
    }
    if (DataFileCheck check = fromRead(readExactly(source, 0, file.header.bytes),
                                       DataFileProblem::headerTruncated, 0);
        !check.ok()) {
        return check;
    }
    // A count of 0 or less reads no record; only one above the table's 109 is refused.
    const int32_t count = std::max(file.header.recordCount(), int32_t{0});
    if (count > kMaxDataRecords) return failure(DataFileProblem::tooManyRecords);

    file.records.resize(static_cast<size_t>(count));
    file.blocks.resize(static_cast<size_t>(count));
    for (int number = 1; number <= count; ++number) {
        DataRecord& record = file.records[static_cast<size_t>(number - 1)];
        const uint64_t at = kDataFileHeaderSize + uint64_t(number - 1) * kDataRecordSize;
        if (DataFileCheck check =
                fromRead(readExactly(source, at, record.bytes), DataFileProblem::tableTruncated, 0);
            !check.ok()) {
            return check;
        }
        const std::string name = record.name();
        if (!name.empty() && !isValidRelativePath(name)) {
            return {DataFileProblem::unsafeRecordName, number, 0, name};
        }
    }
    for (int number = 1; number <= count; ++number) {
        if (!file.hasBlock(number)) continue;
        BlockHeader block;
        if (DataFileCheck check = checkBlock(source, file, number, block); !check.ok()) {
            return check;
        }
        file.blocks[static_cast<size_t>(number - 1)] = block;
    }
    out = std::move(file);
    return {};
}

DataFileCheck checkDataFileWallpaperName(const DataFileHeader& header,
                                         std::string_view packageWallpaperName) {
    const std::string name = header.wallpaperName();
    if (!isValidWallpaperName(name)) return failure(DataFileProblem::badWallpaperName);
    if (name != packageWallpaperName) return failure(DataFileProblem::otherWallpaperName);
    return {};
}

DataFileCheck readRecordStoredBytes(ByteSource& source, const DataFile& file, int number,
                                    std::vector<uint8_t>& stored) {
    const BlockHeader* block = file.block(number);
    assert(block != nullptr);
    const int64_t length = block->size() == 0 ? 0 : block->storedLength();
    try {
        stored.assign(static_cast<size_t>(length), 0);
    } catch (const std::bad_alloc&) {
        return failure(DataFileProblem::noMemory, number);
    }
    const uint64_t at = uint64_t(file.record(number).blockOffset()) + kBlockHeaderSize;
    return fromRead(readExactly(source, at, stored), DataFileProblem::storedBytesOutsideFile,
                    number);
}

}  // namespace velumar::package
