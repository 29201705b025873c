#include "inspect.h"
#include "util/ascii.h"

#include <algorithm>

#include "codec.h"
#include "manifest.h"
#include "package/package_header.h"
#include "package/package_rules.h"

namespace velpack {

namespace {

namespace package = velumar::package;
using package::PackageEntry;
using package::PackageHeader;

constexpr std::string_view kProbeWindows = "C:\\WINDOWS\\";
constexpr std::string_view kProbeWallpaper = "C:\\WINDOWS\\Web\\Wallpaper\\w dir\\";

// Windows file names compare without regard to case.
bool sameFileName(std::string_view a, std::string_view b) noexcept {
    return velumar::equalsIgnoringAsciiCase(a, b);
}

std::string slotLabel(int slot) {
    return "slot " + std::to_string(slot) + " (" + std::string(slotRole(slot)) + ")";
}

std::string crcText(uint32_t crc) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(crc >> shift) & 0x0F];
    return text;
}

std::string hex(unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0x0F];
}

bool writesToWallpaperFolder(const PackageEntry& entry) {
    const std::optional<std::string> path = destinationPath(entry, kProbeWindows, kProbeWallpaper);
    return path && path->starts_with(kProbeWallpaper);
}

// The name under which the installer writes the slot; start-up renames the
// preview of the picture kinds.
std::string writtenName(const PackageHeader& header, int slot) {
    const std::string_view name = header.slot(slot).name();
    if (slot == package::slots::preview) return package::previewName(header.kind, name);
    return std::string(name);
}

class Inspector {
  public:
    Inspector(std::span<const uint8_t> file, Inspection& result) : file_(file), result_(result) {}

    void run(std::optional<uint64_t> offset) {
        result_.fileSize = file_.size();
        result_.location = locatePackage(file_, offset);
        if (!result_.location) {
            problem(
                "cannot find the package: the file has no package offset record and is not "
                "a PE file (give --offset)");
            return;
        }
        if (!result_.location->recordProblem.empty()) problem(result_.location->recordProblem);
        const uint64_t at = result_.location->offset;
        if (at > file_.size() || file_.size() - at < package::kPackageHeaderSize) {
            problem("the package header at offset " + std::to_string(at) +
                    " runs past the end of the file (" + std::to_string(file_.size()) + " bytes)");
            return;
        }
        result_.header = package::decodePackageHeader(
            file_.subspan(static_cast<size_t>(at)).first<package::kPackageHeaderSize>());
        package::MemorySource source(file_);
        result_.integrity =
            package::checkIntegrity(source, static_cast<uint32_t>(at), *result_.header);
        problemsBefore_ = result_.problems.size();
        checkHeader(*result_.header);
        checkSlots(*result_.header);
        checkWallpaperPage(*result_.header);
        checkDataFile(*result_.header);
        checkIntegrity(*result_.header, at);
    }

  private:
    void problem(std::string text) { result_.problems.push_back(std::move(text)); }

    // After the other checks: the damage they located is already named; the record tells of
    // damage anywhere else.
    void checkIntegrity(const PackageHeader& header, uint64_t at) {
        const package::IntegrityCheck& check = *result_.integrity;
        if (!check.refused()) return;
        const package::IntegrityRecord record = *package::integrityRecordOf(header);
        const std::string recorded = std::to_string(record.installerLength) + " bytes";
        switch (check.verdict) {
            case package::IntegrityVerdict::cutShort:
                problem("the installer is cut short: its integrity record says " + recorded +
                        ", the file has " + std::to_string(check.fileLength) +
                        slotsMissing(header, check.fileLength));
                return;
            case package::IntegrityVerdict::recordLies:
                problem("the integrity record is damaged: it says " + recorded +
                        ", but the package runs to byte " +
                        std::to_string(package::packageEnd(header, uint32_t(at))));
                return;
            case package::IntegrityVerdict::crcDiffers:
                problem("the installer is damaged: the CRC-32 of its first " + recorded + " is " +
                        crcText(check.crc) + ", its integrity record says " +
                        crcText(record.installerCrc) +
                        (problemsBefore_ == result_.problems.size()
                             ? " (the changed bytes are where no other check reads: the stub, "
                               "the header, or a file stored as it is)"
                             : ""));
                return;
            default:
                return;
        }
    }

    // ": slot 8 (data file) and slot 9 (uninstaller) end past it", or nothing.
    static std::string slotsMissing(const PackageHeader& header, uint64_t fileLength) {
        std::vector<std::string> cut;
        for (int slot = 1; slot < package::kSlotCount; ++slot) {
            const PackageEntry& entry = header.slot(slot);
            if (!entry.empty() && entry.endOffset >= 0 && uint64_t(entry.endOffset) >= fileLength)
                cut.push_back(slotLabel(slot));
        }
        if (cut.empty()) return {};
        std::string text = "; " + cut.front();
        for (size_t i = 1; i < cut.size(); ++i)
            text += (i + 1 == cut.size() ? " and " : ", ") + cut[i];
        return text + (cut.size() == 1 ? " ends" : " end") + " past it";
    }

    // A name of the package, in UTF-8 and in quotes, for messages.
    std::string inQuotes(std::string_view name) const {
        return "\"" + toUtf8(name, result_.codePage) + "\"";
    }

    // A name the installer would write with a byte the users' code page does not define.
    void checkCodePage(const std::string& label, std::string_view name) {
        if (const auto byte = undefinedByte(name, result_.codePage)) {
            problem(label + " " + inQuotes(name) + " holds the byte " + hex(*byte) + ", which " +
                    result_.codePage.label() +
                    " does not define (give --code-page for a package made with another)");
        }
    }

    void checkHeader(const PackageHeader& header) {
        checkCodePage("the wallpaper name", header.wallpaperName());
        if (!package::isValidWallpaperName(header.wallpaperName())) {
            problem("the wallpaper name " + inQuotes(header.wallpaperName()) +
                    " is not a valid folder name of 1 to 64 characters");
        }
    }

    void checkSlots(const PackageHeader& header) {
        const PackageEntry& installer = header.slot(package::slots::installer);
        if (!installer.empty() && installer.startOffset >= 0 &&
            installer.endOffset < int64_t(file_.size()) && installer.storedLength() > 0) {
            const auto start = static_cast<size_t>(installer.startOffset);
            const auto count = static_cast<size_t>(installer.storedLength());
            result_.slotContents[0] = Bytes(file_.begin() + start, file_.begin() + start + count);
        }
        int64_t previousEnd = int64_t(result_.location->offset) + package::kPackageHeaderSize - 1;
        for (int slot = 1; slot < package::kSlotCount; ++slot) {
            const PackageEntry& entry = header.slot(slot);
            if (entry.empty()) {
                if (package::slotIsRequired(header, slot)) {
                    problem(slotLabel(slot) + " is empty, but the installer requires it");
                }
                continue;
            }
            checkSlot(header, slot, previousEnd);
            previousEnd = std::max<int64_t>(previousEnd, entry.endOffset);
        }
        checkLibrarySlot(header.slot(package::slots::compressionLibrary));
    }

    void checkSlot(const PackageHeader& header, int slot, int64_t previousEnd) {
        const PackageEntry& entry = header.slot(slot);
        const std::string label = slotLabel(slot);
        bool sound = true;
        checkCodePage(label + ": the name", entry.name());
        if (!package::isValidFileName(entry.name())) {
            problem(label + ": the name " + inQuotes(entry.name()) +
                    " is not a file name the installer writes (folders, drives, devices, "
                    "wildcards, final dots or blanks)");
            sound = false;
        }
        if (package::slotIsWritten(header, slot) && sound &&
            !destinationPath(entry, kProbeWindows, kProbeWallpaper)) {
            problem(label + ": destination " + std::to_string(entry.destination) +
                    " writes the file nowhere");
        }
        if (entry.startOffset <= previousEnd) {
            problem(label + ": its stored bytes start at " + std::to_string(entry.startOffset) +
                    ", inside the package header or an earlier slot (which end at " +
                    std::to_string(previousEnd) + ")");
            sound = false;
        }
        if (entry.endOffset < entry.startOffset || entry.startOffset < 0 ||
            entry.endOffset >= int64_t(file_.size())) {
            problem(label + ": its stored bytes " + std::to_string(entry.startOffset) + " to " +
                    std::to_string(entry.endOffset) + " lie outside the file (" +
                    std::to_string(file_.size()) + " bytes)");
            return;
        }
        const auto stored = file_.subspan(static_cast<size_t>(entry.startOffset),
                                          static_cast<size_t>(entry.storedLength()));
        if (!entry.isCompressed()) {
            if (sound) result_.slotContents[slot] = Bytes(stored.begin(), stored.end());
            return;
        }
        Expansion expansion = explodeExactly(stored, entry.size);
        if (!expansion.ok()) {
            problem(label + ": " + expansion.problem);
        } else if (sound) {
            result_.slotContents[slot] = std::move(expansion.bytes);
        }
    }

    // The installer loads the library as Windows folder + "impborl.dll", and
    // it cannot expand the library with itself.
    void checkLibrarySlot(const PackageEntry& entry) {
        if (entry.empty()) return;
        const std::string label = slotLabel(package::slots::compressionLibrary);
        const std::optional<std::string> path =
            destinationPath(entry, kProbeWindows, kProbeWallpaper);
        if (path &&
            (entry.destination != package::destinations::windowsFolder ||
             !sameFileName(path->substr(kProbeWindows.size()), package::kLibraryFileName))) {
            problem(label +
                    ": it must be written to the Windows folder as impborl.dll "
                    "(destination 3, base name impborl)");
        }
        if (entry.isCompressed()) problem(label + ": the compression library cannot be compressed");
    }

    // The wallpaper is pointed at "Web\Wallpaper\<wallpaper name>.html".
    void checkWallpaperPage(const PackageHeader& header) {
        const PackageEntry& page = header.slot(package::slots::wallpaperPage);
        if (page.empty()) return;
        const std::string expected = package::wallpaperPageName(header.wallpaperName());
        if (page.destination != package::destinations::wallpaperRoot ||
            !sameFileName(page.name(), expected)) {
            problem(slotLabel(package::slots::wallpaperPage) + ": the page must be named " +
                    inQuotes(expected) + " with destination 2, where the wallpaper points");
        }
    }

    void checkDataFile(const PackageHeader& header) {
        const int slot = package::slots::dataFile;
        const PackageEntry& entry = header.slot(slot);
        if (entry.empty() || !result_.slotContents[slot]) return;
        const std::string label = slotLabel(slot);
        if (!writesToWallpaperFolder(entry)) {
            problem(label +
                    ": it must be written to the wallpaper folder, where the installer "
                    "opens it");
        }
        const Bytes& bytes = *result_.slotContents[slot];
        package::MemorySource source(bytes);
        package::DataFile data;
        if (const package::DataFileCheck check = package::readDataFile(source, data); !check.ok()) {
            problem(label + ": " + check.describe());
            return;
        }
        if (!package::checkDataFileWallpaperName(data.header, header.wallpaperName()).ok()) {
            problem(label + ": its wallpaper name " + inQuotes(data.header.wallpaperName()) +
                    " is not a valid wallpaper name equal to the package's " +
                    inQuotes(header.wallpaperName()));
        }
        for (int number = 1; number <= data.recordCount(); ++number) {
            checkCodePage("data file record " + std::to_string(number) + ": the name",
                          data.record(number).name());
        }
        result_.recordContents.assign(static_cast<size_t>(data.recordCount()), std::nullopt);
        for (int number = 1; number <= data.recordCount(); ++number) {
            if (data.hasBlock(number)) expandRecord(source, data, number);
        }
        for (int number = 1; number <= data.recordCount(); ++number) {
            if (!data.record(number).name().empty() && data.isCopyRecord(number)) {
                resolveCopy(header, data, number);
            }
        }
        result_.dataFile = std::move(data);
    }

    void expandRecord(package::ByteSource& source, const package::DataFile& data, int number) {
        const std::string label = "data file record " + std::to_string(number);
        Bytes stored;
        if (const auto check = package::readRecordStoredBytes(source, data, number, stored);
            !check.ok()) {
            problem("data file: " + check.describe());
            return;
        }
        const package::BlockHeader& block = *data.block(number);
        if (block.size() == 0) return;  // the installer writes no file for it
        if (!block.compressed()) {
            recordContent(number) = std::move(stored);
            return;
        }
        Expansion expansion = explodeExactly(stored, block.size());
        if (!expansion.ok()) {
            problem(label + " " + inQuotes(data.record(number).name()) + ": " + expansion.problem);
            return;
        }
        recordContent(number) = std::move(expansion.bytes);
    }

    // Record 1 copies "installer.swf" from the wallpaper folder, every later
    // copy record copies record 1's file: the source must be there.
    void resolveCopy(const PackageHeader& header, const package::DataFile& data, int number) {
        const std::string label = "data file record " + std::to_string(number) + " " +
                                  inQuotes(data.record(number).name());
        if (number == 1) {
            for (int slot = package::slots::preview; slot < package::kSlotCount; ++slot) {
                if (package::slotIsWritten(header, slot) &&
                    writesToWallpaperFolder(header.slot(slot)) &&
                    sameFileName(writtenName(header, slot), package::kMovieSourceName)) {
                    recordContent(1) = result_.slotContents[slot];
                    return;
                }
            }
            problem(label +
                    ": it is a copy of installer.swf, which the package does not write "
                    "into the wallpaper folder");
            return;
        }
        const std::string first = data.record(1).name();
        if (first == data.record(number).name()) return;  // a copy onto itself is ignored
        if (first.empty() || !recordContent(1)) {
            problem(label +
                    ": it is a copy of record 1's file, which the installer does not "
                    "write");
            return;
        }
        recordContent(number) = recordContent(1);
    }

    std::optional<Bytes>& recordContent(int number) {
        return result_.recordContents[static_cast<size_t>(number - 1)];
    }

    std::span<const uint8_t> file_;
    Inspection& result_;
    size_t problemsBefore_ = 0;
};

}  // namespace

Inspection inspectInstaller(std::span<const uint8_t> file, std::optional<uint64_t> offset,
                            const CodePage& codePage) {
    Inspection result;
    result.codePage = codePage;
    Inspector(file, result).run(offset);
    return result;
}

}  // namespace velpack
