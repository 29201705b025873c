#include "package/data_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/byte_io.h"

namespace velumar::package {
namespace {

DataRecordSource plain(std::string name, std::string text) {
    DataRecordSource record;
    record.name = std::move(name);
    record.stored.assign(text.begin(), text.end());
    record.size = static_cast<int32_t>(record.stored.size());
    return record;
}

DataRecordSource copyOf(std::string name) {
    DataRecordSource record;
    record.name = std::move(name);
    record.copy = true;
    return record;
}

std::vector<uint8_t> written(std::span<const DataRecordSource> records, int32_t dataKind = 2) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(writeDataFile("Aurora", dataKind, records, bytes).ok());
    return bytes;
}

DataFileCheck check(const std::vector<uint8_t>& bytes, DataFile* out = nullptr) {
    MemorySource source(bytes);
    DataFile file;
    const DataFileCheck result = readDataFile(source, file);
    if (out != nullptr) *out = file;
    return result;
}

size_t recordAt(int number) {
    return kDataFileHeaderSize + size_t(number - 1) * kDataRecordSize;
}

void setRecordName(std::vector<uint8_t>& bytes, int number, std::string_view name) {
    DataRecord record;
    std::copy_n(bytes.begin() + recordAt(number), kDataRecordSize, record.bytes.begin());
    ASSERT_TRUE(record.setName(name));
    std::copy(record.bytes.begin(), record.bytes.end(), bytes.begin() + recordAt(number));
}

TEST(DataFileWriter, FieldsSitAtTheirOffsets) {
    const std::vector<DataRecordSource> records = {plain("media\\clip.swf", "FWS-bytes"),
                                                   copyOf("again.swf")};
    const std::vector<uint8_t> bytes = written(records, 3);

    EXPECT_EQ(loadI32(bytes, 212), 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[248])), "Aurora");
    EXPECT_EQ(loadI32(bytes, 1204), 3);
    const size_t first = recordAt(1);
    EXPECT_EQ(bytes[first], kBlockRecordType);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[first + 2])), "media\\clip.swf");
    const size_t blockAt = kDataFileHeaderSize + 2 * kDataRecordSize;
    EXPECT_EQ(loadI32(bytes, first + 260), int32_t(blockAt)) << "first block after the table";
    EXPECT_EQ(bytes[recordAt(2)], kCopyRecordType);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[blockAt]), 4), "CHUN");
    EXPECT_EQ(loadI32(bytes, blockAt + 8), 9);
    EXPECT_EQ(loadI32(bytes, blockAt + 16), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[blockAt + 44]), 9), "FWS-bytes");
    EXPECT_EQ(bytes.size(), blockAt + 44 + 9) << "copy records have no block";
}

TEST(DataFileWriter, RefusesWhatTheInstallerCouldNotTakeSafely) {
    std::vector<uint8_t> bytes;
    std::vector<DataRecordSource> many(110, plain("x", "1"));
    for (size_t i = 0; i < many.size(); ++i) many[i].name = std::to_string(i) + ".dat";
    EXPECT_EQ(writeDataFile("A", 2, many, bytes).problem, DataFileWriteProblem::tooManyRecords);
    many.resize(109);
    EXPECT_TRUE(writeDataFile("A", 2, many, bytes).ok());

    for (const std::string& name : std::vector<std::string>{"..\\..\\x", "C:\\x", "\\x", "a\\\\b",
                                                            "", std::string(256, 'n')}) {
        const std::vector<DataRecordSource> one = {plain(name, "1")};
        const DataFileWriteResult result = writeDataFile("A", 2, one, bytes);
        EXPECT_EQ(result.problem, DataFileWriteProblem::badName) << name;
        EXPECT_EQ(result.record, 1);
    }
    EXPECT_EQ(writeDataFile(std::string(65, 'a'), 2, many, bytes).problem,
              DataFileWriteProblem::badWallpaperName);
}

TEST(DataFileReader, ReadsBackWhatWasWritten) {
    DataRecordSource packed = plain("packed.bin", "imploded-bytes");
    packed.compressed = true;
    packed.size = 1000;
    const std::vector<DataRecordSource> records = {plain("page\\a.swf", "abc"), packed,
                                                   copyOf("b.swf")};
    const std::vector<uint8_t> bytes = written(records);
    MemorySource source(bytes);
    DataFile file;
    ASSERT_TRUE(readDataFile(source, file).ok());

    EXPECT_EQ(file.header.wallpaperName(), "Aurora");
    ASSERT_EQ(file.recordCount(), 3);
    EXPECT_EQ(file.record(1).name(), "page\\a.swf");
    EXPECT_TRUE(file.hasBlock(1));
    EXPECT_TRUE(file.isCopyRecord(3));
    EXPECT_EQ(file.block(3), nullptr);
    ASSERT_NE(file.block(2), nullptr);
    EXPECT_TRUE(file.block(2)->compressed());
    EXPECT_EQ(file.block(2)->size(), 1000);
    EXPECT_EQ(file.block(2)->storedSize(), 14);

    std::vector<uint8_t> stored;
    ASSERT_TRUE(readRecordStoredBytes(source, file, 1, stored).ok());
    EXPECT_EQ(std::string(stored.begin(), stored.end()), "abc");
    ASSERT_TRUE(readRecordStoredBytes(source, file, 2, stored).ok());
    EXPECT_EQ(std::string(stored.begin(), stored.end()), "imploded-bytes");
}

TEST(DataFileReader, RecordCountAbove109IsRefusedAndZeroOrLessReadsNone) {
    std::vector<uint8_t> bytes = written({});
    EXPECT_TRUE(check(bytes).ok()) << "zero records";

    storeI32(bytes, 212, 110);
    bytes.resize(kDataFileHeaderSize + 110 * kDataRecordSize);
    EXPECT_EQ(check(bytes).problem, DataFileProblem::tooManyRecords);
    storeI32(bytes, 212, -1);
    DataFile none;
    EXPECT_TRUE(check(bytes, &none).ok()) << "a negative count reads no records";
    EXPECT_EQ(none.recordCount(), 0);
    storeI32(bytes, 212, 109);
    EXPECT_TRUE(check(bytes).ok()) << "109 records with empty names";
}

TEST(DataFileReader, TruncatedFilesAreRefused) {
    const std::vector<DataRecordSource> records = {plain("a.txt", "hello"), plain("b.txt", "!")};
    const std::vector<uint8_t> bytes = written(records);
    const std::vector<std::pair<size_t, DataFileProblem>> cuts = {
        {0, DataFileProblem::headerTruncated},
        {1239, DataFileProblem::headerTruncated},
        {recordAt(2) + 100, DataFileProblem::tableTruncated},
        {recordAt(3) + 10, DataFileProblem::blockOutsideFile},
        {bytes.size() - 1, DataFileProblem::storedBytesOutsideFile},
    };
    for (const auto& [size, problem] : cuts) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + size);
        EXPECT_EQ(check(cut).problem, problem) << "cut at " << size;
    }
}

TEST(DataFileReader, RecordNamesThatLeaveTheFolderAreRefused) {
    std::vector<uint8_t> bytes = written(std::vector{plain("a.txt", "x"), plain("b.txt", "y")});
    for (std::string_view name : {"..\\..\\x", "..", "a\\..\\..\\x", "...\\x", "\\x", "/etc/x",
                                  "C:\\x", "C:x", "a\\\\b", "a\\", "tab\there"}) {
        std::vector<uint8_t> bad = bytes;
        setRecordName(bad, 2, name);
        const DataFileCheck result = check(bad);
        EXPECT_EQ(result.problem, DataFileProblem::unsafeRecordName) << name;
        EXPECT_EQ(result.record, 2) << name;
    }
    setRecordName(bytes, 2, "media\\sub\\clip.swf");
    EXPECT_TRUE(check(bytes).ok());
}

TEST(DataFileReader, BlocksAreCheckedOnlyForRecordsThatAreRead) {
    std::vector<uint8_t> bytes = written(std::vector{plain("a.swf", "x"), plain("b.txt", "y")});
    storeI32(bytes, recordAt(1) + 260, 0x7FFFFFF0);
    EXPECT_EQ(check(bytes).problem, DataFileProblem::blockOutsideFile);

    std::vector<uint8_t> movie = bytes;
    storeI32(movie, 1204, kMovieDataKind);
    DataFile file;
    EXPECT_TRUE(check(movie, &file).ok()) << "record 1 of a movie data file is a copy";
    EXPECT_TRUE(file.isCopyRecord(1));

    std::vector<uint8_t> unnamed = bytes;
    setRecordName(unnamed, 1, "");
    EXPECT_TRUE(check(unnamed).ok()) << "a record with an empty name is skipped";

    storeI32(bytes, recordAt(1) + 260, -44);
    EXPECT_EQ(check(bytes).problem, DataFileProblem::blockOutsideFile);
}

TEST(DataFileReader, BlockSizesAreChecked) {
    std::vector<uint8_t> bytes = written(std::vector{plain("a.txt", "hello")});
    const size_t blockAt = static_cast<size_t>(loadI32(bytes, recordAt(1) + 260));

    std::vector<uint8_t> negative = bytes;
    storeI32(negative, blockAt + 8, -1);
    EXPECT_EQ(check(negative).problem, DataFileProblem::negativeBlockSize);

    std::vector<uint8_t> plainNegativeStored = bytes;
    storeI32(plainNegativeStored, blockAt + 12, -5);
    EXPECT_TRUE(check(plainNegativeStored).ok()) << "a plain block's storedSize is not read";
    storeI32(plainNegativeStored, blockAt + 16, 1);
    EXPECT_EQ(check(plainNegativeStored).problem, DataFileProblem::negativeBlockSize);

    std::vector<uint8_t> longer = bytes;
    storeI32(longer, blockAt + 8, 6);
    EXPECT_EQ(check(longer).problem, DataFileProblem::storedBytesOutsideFile);

    std::vector<uint8_t> packed = bytes;
    storeI32(packed, blockAt + 16, 1);
    storeI32(packed, blockAt + 12, 6);
    EXPECT_EQ(check(packed).problem, DataFileProblem::storedBytesOutsideFile);
    storeI32(packed, blockAt + 12, 5);
    storeI32(packed, blockAt + 8, 0x7FFFFFFF);
    EXPECT_TRUE(check(packed).ok()) << "a compressed block is bounded by its stored size";

    std::vector<uint8_t> empty = bytes;
    storeI32(empty, blockAt + 8, 0);
    storeI32(empty, blockAt + 16, 1);
    storeI32(empty, blockAt + 12, 0x7FFFFFFF);
    EXPECT_TRUE(check(empty).ok()) << "size 0 writes nothing, so its stored bytes are not read";
}

}  // namespace
}  // namespace velumar::package
