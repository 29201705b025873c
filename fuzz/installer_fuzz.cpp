// Fuzz target for the package readers: the data file reader and the
// package tool's inspection of a whole installer (package location, header,
// slot checks, expansion, data file).
//
// For every input it checks that:
//  - the data file reader either refuses the bytes or returns a table whose
//    records and blocks all lie inside them;
//  - inspecting the bytes as an installer, with the header at offset 0 and
//    located the usual way, never crashes, and every content it accepts has
//    the size the header or block declares, and the advice on its content
//    (movies, pictures, the page's links, the licence) never crashes either.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "advice.h"
#include "inspect.h"
#include "package/byte_source.h"
#include "package/data_file.h"

namespace {

namespace package = velumar::package;

void require(bool condition) {
    if (!condition) std::abort();
}

void checkDataFile(std::span<const uint8_t> bytes) {
    package::MemorySource source(bytes);
    package::DataFile file;
    if (!package::readDataFile(source, file).ok()) return;
    require(file.recordCount() >= 0 && file.recordCount() <= package::kMaxDataRecords);
    for (int number = 1; number <= file.recordCount(); ++number) {
        const package::BlockHeader* block = file.block(number);
        if (block == nullptr) continue;
        require(uint64_t(file.record(number).blockOffset()) + package::kBlockHeaderSize <=
                bytes.size());
        std::vector<uint8_t> stored;
        require(package::readRecordStoredBytes(source, file, number, stored).ok());
    }
}

void checkInspection(std::span<const uint8_t> bytes, std::optional<uint64_t> offset) {
    const velpack::Inspection inspection = velpack::inspectInstaller(bytes, offset);
    if (!inspection.header) return;
    velpack::adviseOn(inspection);
    for (int slot = 1; slot < package::kSlotCount; ++slot) {
        const auto& content = inspection.slotContents[static_cast<size_t>(slot)];
        const package::PackageEntry& entry = inspection.header->slot(slot);
        if (content && entry.isCompressed()) require(int64_t(content->size()) == entry.size);
        if (content && !entry.isCompressed())
            require(int64_t(content->size()) == entry.storedLength());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    checkDataFile(bytes);
    checkInspection(bytes, 0);
    checkInspection(bytes, std::nullopt);
    return 0;
}
