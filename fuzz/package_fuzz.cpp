// Fuzz target for what the installer itself reads from a package: the
// package header, the destinations it makes from the slot names, the data file
// reader with the data file's wallpaper name check, and the paths made from
// the record names.
//
// The input is a 3176-byte package header followed by a data file. For every
// input it checks that:
//  - every destination and every record path the installer would write starts
//    with the folder it was joined to, and the rest climbs nowhere: no root,
//    drive or stream colon, no part made of dots alone, no wildcard, no final
//    dot or blank (a check written apart from the rule it tests);
//  - a data file the reader accepts has its records and blocks inside the
//    bytes, and its stored bytes can be read;
//  - every finding of the reader becomes a non-zero installer code;
//  - the integrity check of the whole input reads it at most once, in blocks, and calls it
//    sound only when the record is exactly what the package tool would write for those bytes;
//    the ranges it reads as zero lie inside the PE headers it was given, or are the record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "package/byte_source.h"
#include "package/data_file.h"
#include "package/datafile_expand.h"
#include "package/integrity.h"
#include "package/package_header.h"
#include "package/package_rules.h"

namespace {

namespace package = velumar::package;

constexpr std::string_view kWindows = "C:\\WINDOWS\\";
constexpr std::string_view kWallpaperRoot = "C:\\WINDOWS\\Web\\Wallpaper\\";

void require(bool condition) {
    if (!condition) std::abort();
}

void requireStaysInside(std::string_view path, std::string_view folder) {
    require(path.size() > folder.size() && path.substr(0, folder.size()) == folder);
    require(path.size() <= package::kPathMax);
    std::string_view rest = path.substr(folder.size());
    require(rest.find(':') == std::string_view::npos);
    require(rest.find_first_of("*?") == std::string_view::npos);
    while (!rest.empty()) {
        const size_t end = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, end);
        require(!part.empty());
        require(part.find_first_not_of('.') != std::string_view::npos);
        require(part.back() != '.' && part.back() != ' ');
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

// The folder a destination lies in: the Windows folder, the wallpaper root or
// the wallpaper folder, whichever is the longest prefix.
void checkDestinations(const package::PackageHeader& header, const std::string& wallpaperFolder) {
    for (int slot = 0; slot < package::kSlotCount; ++slot) {
        const auto path = package::destinationPath(header.slot(slot), kWindows, wallpaperFolder);
        if (!path) continue;
        if (path->starts_with(wallpaperFolder)) {
            requireStaysInside(*path, wallpaperFolder);
        } else if (path->starts_with(kWallpaperRoot)) {
            requireStaysInside(*path, kWallpaperRoot);
        } else {
            requireStaysInside(*path, kWindows);
        }
    }
}

void checkDataFile(std::span<const uint8_t> bytes, const std::string& wallpaperName,
                   const std::string& wallpaperFolder) {
    package::MemorySource source(bytes);
    package::DataFile file;
    package::DataFileCheck check = package::readDataFile(source, file);
    if (check.ok()) check = package::checkDataFileWallpaperName(file.header, wallpaperName);
    if (!check.ok()) {
        require(package::dataFileFailure(check).code != velumar::kOk);
        return;
    }
    require(package::isValidWallpaperName(file.header.wallpaperName()));
    require(file.recordCount() >= 0 && file.recordCount() <= package::kMaxDataRecords);
    for (int number = 1; number <= file.recordCount(); ++number) {
        const std::string name = file.record(number).name();
        if (name.empty()) continue;
        if (const auto path = package::joinInside(wallpaperFolder, name)) {
            requireStaysInside(*path, wallpaperFolder);
        }
        if (!file.hasBlock(number)) continue;
        const package::BlockHeader* block = file.block(number);
        require(block != nullptr && block->size() >= 0);
        require(uint64_t(file.record(number).blockOffset()) + package::kBlockHeaderSize <=
                bytes.size());
        std::vector<uint8_t> stored;
        require(package::readRecordStoredBytes(source, file, number, stored).ok());
        require(block->size() == 0 || int64_t(stored.size()) == block->storedLength());
    }
}

void checkIntegrity(std::span<const uint8_t> bytes, const package::PackageHeader& header) {
    const package::ZeroedRanges zeroed = package::rangesReadAsZero(bytes, 0);
    for (const package::FileRange& range : zeroed.all()) {
        const bool record = range.offset == package::kIntegrityRecordOffset &&
                            range.length == package::kIntegrityRecordSize;
        require(record || range.offset + range.length <= package::kPeFieldsWindow);
    }
    struct BlockCount final : package::IntegrityProgress {
        void afterBlock() override { ++blocks; }
        size_t blocks = 0;
    } count;
    package::MemorySource source(bytes);
    const package::IntegrityCheck check = package::checkIntegrity(source, 0, header, &count);
    require(count.blocks <= bytes.size() / package::kIntegrityBlockSize + 1);
    const auto record = package::integrityRecordOf(header);
    if (check.verdict == package::IntegrityVerdict::noRecord) require(!record);
    if (check.verdict != package::IntegrityVerdict::sound) return;
    require(record && record->installerLength <= bytes.size());
    const auto sealed = package::integrityRecordFor(bytes.first(record->installerLength), 0);
    require(sealed.installerCrc == record->installerCrc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    package::MemorySource source(bytes);
    package::PackageHeader header;
    if (package::readPackageHeader(source, 0, header) != velumar::kOk) {
        require(size < package::kPackageHeaderSize);
        return 0;
    }
    checkIntegrity(bytes, header);
    const std::string name = header.wallpaperName();
    // Start-up stops here for a name that fails the rule (-540).
    if (!package::isValidWallpaperName(name)) return 0;
    const std::string wallpaperFolder = std::string(kWallpaperRoot) + name + " dir\\";
    package::renamePreview(header);
    checkDestinations(header, wallpaperFolder);
    checkDataFile(bytes.subspan(package::kPackageHeaderSize), name, wallpaperFolder);
    return 0;
}
