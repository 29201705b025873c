#include "builder.h"
#include "util/ascii.h"

#include <algorithm>
#include <limits>
#include <map>
#include <system_error>

#include "file_io.h"
#include "inspect.h"
#include "package/data_file.h"
#include "package/package_header.h"
#include "package/package_rules.h"
#include "runtime.h"
#include "stub.h"

namespace velpack {

namespace {

namespace package = velumar::package;
using package::PackageEntry;
using package::PackageHeader;

constexpr std::string_view kInstallerName = "install.exe";
constexpr std::string_view kLibraryName = "impborl.dat";
constexpr std::string_view kFlashInstallerName = "flashax.exe";
constexpr std::string_view kUninstallerName = "uninstall.exe";
constexpr std::string_view kPreviewBaseName = "installer";
constexpr std::string_view kPageSuffix = ".html";
constexpr std::string_view kDataFileSuffix = ".ssd";

// The shipped package's destination for each slot.
constexpr std::array<int32_t, package::kSlotCount> kDefaultDestinations = {6, 3, 3, 5, 5, 5,
                                                                           2, 5, 4, 5, 10};

struct SlotPlan {
    bool filled = false;
    std::string name;
    int32_t destination = 0;
    bool compressed = false;
    int64_t size = 0;
    Bytes stored;
};

std::string lowered(std::string_view text) {
    return velumar::asciiLowered(text);
}

class Builder {
  public:
    Builder(const Manifest& manifest, const BuildOptions& options, std::vector<std::string>& errors)
        : manifest_(manifest), options_(options), errors_(errors) {}

    Bytes build() {
        fillHead();
        for (int slot = 1; slot < package::kSlotCount; ++slot) planSlot(slot);
        checkRequiredSlots();
        std::optional<Bytes> stub = loadStub();
        if (!errors_.empty() || !stub) return {};
        Bytes installer = assemble(std::move(*stub));
        if (!errors_.empty()) return {};
        const Inspection inspection = inspectInstaller(installer, std::nullopt);
        for (const std::string& problem : inspection.problems) {
            error(0, "the built installer would not work: " + problem);
        }
        return errors_.empty() ? installer : Bytes{};
    }

  private:
    void error(int line, const std::string& message) {
        errors_.push_back(manifest_.where(line) + message);
    }

    const SlotDescription& described(int slot) const {
        return manifest_.slots[static_cast<size_t>(slot)];
    }

    bool slotHasFile(int slot) const {
        return described(slot).file.has_value() ||
               (slot == package::slots::compressionLibrary && options_.library.has_value());
    }

    void fillHead() {
        header_.kind = manifest_.kind;
        header_.setWallpaperName(manifest_.wallpaperName);
        header_.showLicense = manifest_.showLicense.value_or(slotHasFile(package::slots::license));
        header_.openAfterInstall =
            manifest_.openAfterInstall.value_or(slotHasFile(package::slots::openAfterInstall));
        header_.offerDisplayProperties = manifest_.offerDisplayProperties;
        header_.backgroundRed = manifest_.background[0];
        header_.backgroundGreen = manifest_.background[1];
        header_.backgroundBlue = manifest_.background[2];
    }

    std::string defaultName(int slot, const fs::path& file) const {
        switch (slot) {
            case package::slots::compressionLibrary:
                return std::string(kLibraryName);
            case package::slots::flashInstaller:
                return std::string(kFlashInstallerName);
            case package::slots::preview:
                return std::string(kPreviewBaseName) + file.extension().string();
            case package::slots::wallpaperPage:
                return manifest_.wallpaperName + std::string(kPageSuffix);
            case package::slots::dataFile:
                return manifest_.wallpaperName + std::string(kDataFileSuffix);
            case package::slots::uninstaller:
                return std::string(kUninstallerName);
            default:
                return file.filename().string();
        }
    }

    // The path behind a manifest's file reference; project files are searched.
    std::optional<fs::path> resolve(const FileRef& file, int line) {
        if (file.projectName.empty()) return file.path;
        if (auto found = findProjectFile(file.projectName, options_.projectDirs)) return found;
        error(line, "cannot find the project's " + file.projectName +
                        " (looked beside velpack, in --project-dir folders and in the Windows "
                        "build tree)");
        return std::nullopt;
    }

    std::optional<FileRef> slotFile(int slot) const {
        if (slot == package::slots::compressionLibrary) {
            if (options_.library) return FileRef{*options_.library, {}};
            if (described(slot).file) return described(slot).file;
            return FileRef{{}, std::string(kDefaultLibraryName)};
        }
        return described(slot).file;
    }

    std::optional<Bytes> readInput(const fs::path& path, int line) {
        std::string reason;
        std::optional<Bytes> bytes = readWholeFile(path, reason);
        if (!bytes) error(line, "cannot read " + path.string() + ": " + reason);
        return bytes;
    }

    void planSlot(int slot) {
        const SlotDescription& given = described(slot);
        SlotPlan& plan = plans_[static_cast<size_t>(slot)];
        plan.destination =
            given.destination.value_or(kDefaultDestinations[static_cast<size_t>(slot)]);
        plan.compressed = given.compressed.value_or(false);

        std::optional<Bytes> plain;
        fs::path file;
        if (slot == package::slots::dataFile && given.file &&
            (manifest_.data.given || !manifest_.records.empty())) {
            error(given.fileLine,
                  "[slot8] names a ready data file, so [data] and [recordN] "
                  "would be ignored: give one or the other");
            return;
        }
        if (slot == package::slots::dataFile && !given.file) {
            plain = buildDataFile();
        } else if (std::optional<FileRef> ref = slotFile(slot)) {
            const int line = given.fileLine ? given.fileLine : manifest_.packageLine;
            const std::optional<fs::path> path = resolve(*ref, line);
            if (!path) return;
            file = *path;
            plain = readInput(file, line);
        } else {
            if (given.name)
                error(given.nameLine, "[slot" + std::to_string(slot) + "] names no file");
            return;
        }
        if (!plain) return;
        if (plain->empty()) {
            error(given.fileLine, "slot " + std::to_string(slot) + ": " + file.string() +
                                      " is empty; the package cannot store an empty file");
            return;
        }
        if (slot == package::slots::compressionLibrary && plan.compressed) {
            error(given.compressedLine,
                  "slot 1 (compression library) cannot be compressed: the "
                  "installer needs it to expand everything else");
            return;
        }
        plan.filled = true;
        plan.name = given.name.value_or(defaultName(slot, file));
        plan.size = static_cast<int64_t>(plain->size());
        plan.stored =
            plan.compressed ? implodeBytes(*plain, manifest_.compression) : std::move(*plain);
        if (!package::isValidFileName(plan.name) ||
            plan.name.size() > package::kEntryNameCapacity) {
            error(given.nameLine ? given.nameLine : given.line,
                  "slot " + std::to_string(slot) + ": the name \"" + plan.name +
                      "\" is not a plain file name of at most 255 characters");
        }
    }

    void checkRequiredSlots() {
        for (int slot = 1; slot < package::kSlotCount; ++slot) {
            if (plans_[static_cast<size_t>(slot)].filled || !package::slotIsRequired(header_, slot))
                continue;
            // A slot whose file could not be read is already reported.
            if (described(slot).file || slot == package::slots::compressionLibrary ||
                slot == package::slots::dataFile) {
                continue;
            }
            std::string why;
            if (slot == package::slots::license) why = " because showLicense is set";
            if (slot == package::slots::openAfterInstall) why = " because openAfterInstall is set";
            if (slot == package::slots::preview) why = " for a kind that shows a window";
            error(described(slot).line ? described(slot).line : manifest_.packageLine,
                  "slot " + std::to_string(slot) + " (" + std::string(slotRole(slot)) +
                      ") is required" + why + ": add [slot" + std::to_string(slot) +
                      "] file = ...");
        }
    }

    std::optional<Bytes> loadStub() {
        FileRef ref{{}, std::string(kDefaultStubName)};
        if (manifest_.stub) ref = *manifest_.stub;
        if (options_.stub) ref = FileRef{*options_.stub, {}};
        const std::optional<fs::path> path = resolve(ref, manifest_.packageLine);
        if (!path) return std::nullopt;
        std::optional<Bytes> stub = readInput(*path, manifest_.packageLine);
        if (!stub) return std::nullopt;
        if (const std::string problem = patchStub(*stub); !problem.empty()) {
            error(manifest_.packageLine, path->string() + ": " + problem);
            return std::nullopt;
        }
        return stub;
    }

    // Explicit [recordN] sections first, in number order, then every file of
    // the [data] folder not named by them, sorted by name.
    std::optional<Bytes> buildDataFile() {
        std::vector<package::DataRecordSource> records;
        std::map<std::string, int> names;  // lower-cased name -> line
        for (const RecordDescription& record : manifest_.records) {
            addRecord(records, names, record.name, record.file, record.copy,
                      record.compressed.value_or(manifest_.data.compressed), record.line);
        }
        if (manifest_.data.folder) addFolder(records, names, *manifest_.data.folder);

        const int32_t dataKind = manifest_.data.kind.value_or(manifest_.kind);
        const int line = manifest_.data.line ? manifest_.data.line : manifest_.packageLine;
        if (records.size() > size_t(package::kMaxDataRecords)) {
            error(line, "the data file would hold " + std::to_string(records.size()) +
                            " records; it holds at most 109");
            return std::nullopt;
        }
        if (dataKind == package::kMovieDataKind && !records.empty() && !records.front().copy) {
            error(manifest_.records.empty() ? line : manifest_.records.front().line,
                  "with data kind 3 the installer copies record 1 from installer.swf: make "
                  "record 1 a copy record (copy = yes)");
        }
        if (!errors_.empty()) return std::nullopt;
        Bytes bytes;
        const package::DataFileWriteResult written =
            package::writeDataFile(manifest_.wallpaperName, dataKind, records, bytes);
        if (!written.ok()) {
            error(line,
                  "cannot write the data file (record " + std::to_string(written.record) + ")");
            return std::nullopt;
        }
        return bytes;
    }

    void addRecord(std::vector<package::DataRecordSource>& records,
                   std::map<std::string, int>& names, const std::string& name,
                   const std::optional<FileRef>& file, bool copy, bool compressed, int line) {
        if (const auto [earlier, added] = names.emplace(lowered(name), line); !added) {
            error(line, "the record name \"" + name + "\" is already used (line " +
                            std::to_string(earlier->second) + ")");
            return;
        }
        package::DataRecordSource record;
        record.name = name;
        record.copy = copy;
        if (!copy && file) {
            const std::optional<fs::path> path = resolve(*file, line);
            if (!path) return;
            std::optional<Bytes> plain = readInput(*path, line);
            if (!plain) return;
            if (plain->empty()) {
                error(line, path->string() +
                                " is empty; the installer writes no file for an "
                                "empty record");
                return;
            }
            record.compressed = compressed;
            record.size = static_cast<int32_t>(plain->size());
            record.stored =
                compressed ? implodeBytes(*plain, manifest_.compression) : std::move(*plain);
        }
        records.push_back(std::move(record));
    }

    void addFolder(std::vector<package::DataRecordSource>& records,
                   std::map<std::string, int>& names, const fs::path& folder) {
        const int line = manifest_.data.line;
        std::error_code code;
        if (!fs::is_directory(folder, code)) {
            error(line, "the data folder " + folder.string() + " does not exist");
            return;
        }
        std::vector<std::pair<std::string, fs::path>> files;
        for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end;
             it.increment(code)) {
            if (!it->is_regular_file(code)) continue;
            std::string name = it->path().lexically_relative(folder).generic_string();
            std::replace(name.begin(), name.end(), '/', '\\');
            files.emplace_back(std::move(name), it->path());
        }
        if (code) {
            error(line, "cannot list the data folder " + folder.string() + ": " + code.message());
            return;
        }
        std::sort(files.begin(), files.end());
        for (const auto& [name, path] : files) {
            if (names.contains(lowered(name))) continue;
            if (name.size() > package::kRecordNameMax || !package::isValidRelativePath(name)) {
                error(line, "the data folder's file \"" + name +
                                "\" cannot be a record name (at most 255 characters, valid "
                                "Windows names)");
                continue;
            }
            addRecord(records, names, name, FileRef{path, {}}, false, manifest_.data.compressed,
                      line);
        }
    }

    Bytes assemble(Bytes stub) {
        const uint64_t packageOffset = stub.size();
        uint64_t cursor = packageOffset + package::kPackageHeaderSize;

        PackageEntry& installer = header_.slot(package::slots::installer);
        installer.setName(described(0).name.value_or(std::string(kInstallerName)));
        installer.destination = described(0).destination.value_or(kDefaultDestinations[0]);
        installer.startOffset = 0;
        installer.endOffset = static_cast<int32_t>(packageOffset - 1);
        installer.size = static_cast<int32_t>(packageOffset);

        std::array<uint64_t, package::kSlotCount> starts{};
        for (int slot = 1; slot < package::kSlotCount; ++slot) {
            starts[static_cast<size_t>(slot)] = cursor;
            cursor += plans_[static_cast<size_t>(slot)].stored.size();
        }
        if (cursor > uint64_t(std::numeric_limits<int32_t>::max())) {
            error(manifest_.packageLine, "the installer would be " + std::to_string(cursor) +
                                             " bytes; offsets are limited to 2 GiB");
            return {};
        }
        for (int slot = 1; slot < package::kSlotCount; ++slot) {
            fillEntry(slot, starts[static_cast<size_t>(slot)]);
        }

        Bytes installerBytes = std::move(stub);
        installerBytes.reserve(static_cast<size_t>(cursor));
        const package::PackageHeaderBytes headerBytes = package::encodePackageHeader(header_);
        installerBytes.insert(installerBytes.end(), headerBytes.begin(), headerBytes.end());
        for (int slot = 1; slot < package::kSlotCount; ++slot) {
            const Bytes& stored = plans_[static_cast<size_t>(slot)].stored;
            installerBytes.insert(installerBytes.end(), stored.begin(), stored.end());
        }
        return installerBytes;
    }

    // An empty slot's offsets both hold the offset at which the next stored
    // file begins; slot 10's are 0.
    void fillEntry(int slot, uint64_t start) {
        const SlotPlan& plan = plans_[static_cast<size_t>(slot)];
        PackageEntry& entry = header_.slot(slot);
        entry.destination = plan.destination;
        if (!plan.filled) {
            const bool last = slot == package::slots::extra;
            entry.startOffset = last ? 0 : static_cast<int32_t>(start);
            entry.endOffset = entry.startOffset;
            return;
        }
        entry.setName(plan.name);
        entry.startOffset = static_cast<int32_t>(start);
        entry.endOffset = static_cast<int32_t>(start + plan.stored.size() - 1);
        entry.compressed = plan.compressed ? 1 : 0;
        entry.storedSize = plan.compressed ? static_cast<int32_t>(plan.stored.size()) : 0;
        entry.size = static_cast<int32_t>(plan.size);
    }

    const Manifest& manifest_;
    const BuildOptions& options_;
    std::vector<std::string>& errors_;
    PackageHeader header_;
    std::array<SlotPlan, package::kSlotCount> plans_;
};

}  // namespace

BuildResult buildInstaller(const Manifest& manifest, const BuildOptions& options) {
    BuildResult result;
    Builder builder(manifest, options, result.errors);
    result.installer = builder.build();
    return result;
}

}  // namespace velpack
