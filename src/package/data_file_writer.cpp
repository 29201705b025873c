// The data file's writer, for the package tool. In an object of its own: the installer only
// reads data files, and MinGW's linker keeps every function of an object that has an unwind
// table naming it.
#include <limits>

#include "package/data_file.h"
#include "package/package_rules.h"

namespace velumar::package {

DataFileWriteResult writeDataFile(std::string_view wallpaperName, int32_t dataKind,
                                  std::span<const DataRecordSource> records,
                                  std::vector<uint8_t>& out) {
    if (records.size() > size_t(kMaxDataRecords)) {
        return {DataFileWriteProblem::tooManyRecords, 0};
    }
    DataFileHeader header;
    if (!header.setWallpaperName(wallpaperName)) return {DataFileWriteProblem::badWallpaperName, 0};
    header.setRecordCount(static_cast<int32_t>(records.size()));
    header.setDataKind(dataKind);

    uint64_t total = kDataFileHeaderSize + records.size() * kDataRecordSize;
    std::vector<DataRecord> table(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const DataRecordSource& source = records[i];
        const int number = static_cast<int>(i + 1);
        if (!isValidRelativePath(source.name) || !table[i].setName(source.name)) {
            return {DataFileWriteProblem::badName, number};
        }
        if (source.copy) {
            table[i].setType(kCopyRecordType);
            continue;
        }
        table[i].setType(kBlockRecordType);
        if (total > uint64_t(std::numeric_limits<int32_t>::max())) {
            return {DataFileWriteProblem::tooLarge, number};
        }
        table[i].setBlockOffset(static_cast<int32_t>(total));
        total += kBlockHeaderSize + source.stored.size();
    }
    if (total > uint64_t(std::numeric_limits<int32_t>::max())) {
        return {DataFileWriteProblem::tooLarge, 0};
    }

    out.clear();
    out.reserve(static_cast<size_t>(total));
    out.insert(out.end(), header.bytes.begin(), header.bytes.end());
    for (const DataRecord& record : table)
        out.insert(out.end(), record.bytes.begin(), record.bytes.end());
    for (const DataRecordSource& source : records) {
        if (source.copy) continue;
        BlockHeader block;
        block.setTag();
        block.setSize(source.compressed ? source.size : static_cast<int32_t>(source.stored.size()));
        block.setStoredSize(source.compressed ? static_cast<int32_t>(source.stored.size()) : 0);
        block.setCompressed(source.compressed);
        out.insert(out.end(), block.bytes.begin(), block.bytes.end());
        out.insert(out.end(), source.stored.begin(), source.stored.end());
    }
    return {};
}

}  // namespace velumar::package
