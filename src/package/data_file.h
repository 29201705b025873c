// The data file (slot 8 of a package): a container of the wallpaper's files.
//
// Three parts, one after the other. All integers are little-endian signed
// 32-bit values; text is 8-bit ANSI.
//
//   header (1240 bytes)
//   offset width  field
//        0   212  carried, not interpreted
//      212     4  recordCount     records in the table, at most 109; 0 or less reads none
//      216    32  carried
//      248    64  wallpaperName   text up to the first NUL, or all 64 characters
//      312   892  carried
//     1204     4  dataKind        the package kind; 3 makes record 1 a copy of "installer.swf"
//     1208    32  carried
//
//   record table: recordCount records of 264 bytes from offset 1240; record
//   numbers start at 1
//        0     1  type            3: copy record (no block); any other value: the record has a
//                                 block
//        1     1  carried
//        2   256  name            relative to the wallpaper folder, "\" between folders,
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
// One reader serves the installer, the package tool and the fuzz target. It
// checks what the installer relies on before anything is written: the record
// count, that every record name passes the name rule (package_rules.h), and
// that every block header and the stored bytes it announces lie inside the
// file. The fields it does not interpret are carried unchanged.
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
    readFailed,         // the source reported an operating-system code
    headerTruncated,    // fewer than 1240 bytes
    tooManyRecords,     // more than 109
    tableTruncated,     // the record table runs past the end of the file
    unsafeRecordName,   // fails the name rule: traversal, drive, device, wildcard...
    blockOutsideFile,   // the block header does not lie inside the file
    negativeBlockSize,  // size, or a compressed block's storedSize, below zero
    storedBytesOutsideFile,
    noMemory,
    badWallpaperName,    // the data file's wallpaper name fails the wallpaper-name rule
    otherWallpaperName,  // it differs from the package header's
};

struct DataFileCheck {
    DataFileProblem problem = DataFileProblem::none;
    int record = 0;          // 1-based record number, 0 for the file as a whole
    int32_t systemCode = 0;  // for readFailed
    std::string recordName;  // for unsafeRecordName: the name as it stands

    bool ok() const noexcept { return problem == DataFileProblem::none; }
    // For the package tool's reports (data_file_text.cpp, not linked into the installer).
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

// The data file's wallpaper name names the page the desktop is given and the
// folder the uninstaller is started from: it must pass the wallpaper-name rule
// and be the package header's name.
DataFileCheck checkDataFileWallpaperName(const DataFileHeader& header,
                                         std::string_view packageWallpaperName);

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
    badName,           // fails the name rule of package_rules.h
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
