// The data file (slot 8 of a package): a container of the wallpaper's files.
//
// Three parts, one after the other. All integers are little-endian signed
// 32-bit values; text is 8-bit ANSI.
//
//   header (1240 bytes)
//   offset width  field
//        0   212  carried, not interpreted
//      212     4  recordCount     records in the table, 0 to 109
//      216    32  carried
//      248    64  wallpaperName   text up to the first NUL, or all 64 characters
//      312   892  carried
//     1204     4  dataKind        the package kind; 3 makes record 1 a copy of "installer.swf"
//     1208    32  carried
//
//   record table: recordCount records of 264 bytes from offset 1240; record
//   numbers start at 1
//        0     1  type            3: copy record (no block); any other value: the record has a
//        block 1     1  carried 2   256  name            relative to the wallpaper folder, "\"
//        between folders,
//                                 NUL-terminated; empty: the record is skipped
//      258     2  reserved
//      260     4  blockOffset     offset in the file of the record's block header
//
//   block: a 44-byte block header at the record's blockOffset, then the stored bytes
//        0     4  tag             "CHUN" (not tested by the installer)
//        4     4  carried
//        8     4  size            length of the file to write; 0: no file is written
//       12     4  storedSize      stored bytes that follow when compressed
//       16     4  compressed      non-zero: storedSize imploded bytes expand to size bytes;
//                                 zero: size bytes follow as they are
//       20    24  carried
//
// A copy record writes no block: its file is copied from the wallpaper folder,
// from "installer.swf" for record 1 and from record 1's file for the others.
//
// The reader checks what the installer relies on before anything is written:
// the record count, that every block and its stored bytes lie inside the file,
// and that no record name leaves the wallpaper folder. The fields it does not
// interpret are carried unchanged.
#ifndef VELUMAR_PACKAGE_DATA_FILE_H
#define VELUMAR_PACKAGE_DATA_FILE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/byte_source.h"

namespace velumar::package {

inline constexpr size_t kDataFileHeaderSize = 1240;
inline constexpr size_t kDataRecordSize = 264;
inline constexpr size_t kBlockHeaderSize = 44;
inline constexpr int32_t kMaxDataRecords = 109;
inline constexpr size_t kRecordNameWidth = 256;
inline constexpr size_t kRecordNameMax = kRecordNameWidth - 1;  // room for the NUL
inline constexpr uint8_t kCopyRecordType = 3;
inline constexpr uint8_t kBlockRecordType = 1;  // what the package tool writes
inline constexpr int32_t kMovieDataKind = 3;
inline constexpr std::string_view kMovieSourceName = "installer.swf";
inline constexpr std::array<uint8_t, 4> kBlockTag = {'C', 'H', 'U', 'N'};

struct DataFileHeader {
    std::array<uint8_t, kDataFileHeaderSize> bytes{};

    int32_t recordCount() const noexcept;
    void setRecordCount(int32_t count) noexcept;
    std::string wallpaperName() const;
    bool setWallpaperName(std::string_view name) noexcept;  // false above 64 characters
    int32_t dataKind() const noexcept;
    void setDataKind(int32_t kind) noexcept;
};

struct DataRecord {
    std::array<uint8_t, kDataRecordSize> bytes{};

    uint8_t type() const noexcept { return bytes[0]; }
    void setType(uint8_t type) noexcept { bytes[0] = type; }
    // Up to the first NUL, at most 256 characters.
    std::string name() const;
    bool setName(std::string_view name) noexcept;  // false above 255 characters
    int32_t blockOffset() const noexcept;
    void setBlockOffset(int32_t offset) noexcept;
};

struct BlockHeader {
    std::array<uint8_t, kBlockHeaderSize> bytes{};

    bool hasTag() const noexcept;
    void setTag() noexcept;
    int32_t size() const noexcept;
    void setSize(int32_t size) noexcept;
    int32_t storedSize() const noexcept;
    void setStoredSize(int32_t size) noexcept;
    bool compressed() const noexcept;
    void setCompressed(bool compressed) noexcept;
    // Bytes that follow the block header: storedSize when compressed, else size.
    int64_t storedLength() const noexcept;
};

// What the reader found wrong. The record number is 0 for the whole file.
enum class DataFileProblem {
    none,
    readFailed,       // the source reported an operating-system code
    headerTruncated,  // fewer than 1240 bytes
    negativeRecordCount,
    tooManyRecords,     // more than 109
    tableTruncated,     // the record table runs past the end of the file
    unsafeRecordName,   // absolute, drive, "..", control characters...
    blockOutsideFile,   // the block header does not lie inside the file
    negativeBlockSize,  // size or storedSize below zero
    storedBytesOutsideFile,
    noMemory,
};

struct DataFileCheck {
    DataFileProblem problem = DataFileProblem::none;
    int record = 0;          // 1-based record number, 0 for the file as a whole
    int32_t systemCode = 0;  // for readFailed

    bool ok() const noexcept { return problem == DataFileProblem::none; }
    std::string describe() const;
};

struct DataFile {
    DataFileHeader header;
    std::vector<DataRecord> records;                 // record n is records[n - 1]
    std::vector<std::optional<BlockHeader>> blocks;  // for records that are read
    uint64_t fileSize = 0;

    int recordCount() const noexcept { return static_cast<int>(records.size()); }
    const DataRecord& record(int number) const noexcept;
    // Type 3, or record 1 of a movie data file (dataKind 3), which the
    // installer copies from "installer.swf" whatever its type says.
    bool isCopyRecord(int number) const noexcept;
    // Non-empty name and not a copy: the record's block is read.
    bool hasBlock(int number) const noexcept;
    const BlockHeader* block(int number) const noexcept;
};

// Reads the header, the record table and the block header of every record
// that has a block, checking all of it. `out` is filled only when the check
// passes.
DataFileCheck readDataFile(ByteSource& source, DataFile& out);

// The stored bytes of record `number` (which has a block): storedSize imploded
// bytes or size plain bytes.
DataFileCheck readRecordStoredBytes(ByteSource& source, const DataFile& file, int number,
                                    std::vector<uint8_t>& stored);

// One record to write. A copy record has no block; the others carry the bytes
// to store, already imploded when `compressed` is set.
struct DataRecordSource {
    std::string name;  // relative, "\" between folders
    bool copy = false;
    bool compressed = false;
    int32_t size = 0;  // length of the expanded file; a plain record's is stored.size()
    std::vector<uint8_t> stored;
};

enum class DataFileWriteProblem {
    none,
    tooManyRecords,
    badName,           // empty, over 255 characters, or not a safe relative path
    badWallpaperName,  // over 64 characters
    tooLarge,          // offsets would not fit in 32 bits
};

struct DataFileWriteResult {
    DataFileWriteProblem problem = DataFileWriteProblem::none;
    int record = 0;

    bool ok() const noexcept { return problem == DataFileWriteProblem::none; }
};

// Writes header, table and blocks in record order without gaps, the first
// block right after the table; fields the installer does not interpret are
// zero. The same input gives the same bytes.
DataFileWriteResult writeDataFile(std::string_view wallpaperName, int32_t dataKind,
                                  std::span<const DataRecordSource> records,
                                  std::vector<uint8_t>& out);

}  // namespace velumar::package

#endif
