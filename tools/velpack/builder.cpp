#include "builder.h"
#include "util/ascii.h"

#include <algorithm>
#include <limits>
#include <map>
#include <system_error>

#include "code_page.h"
#include "file_io.h"
#include "inspect.h"
#include "package/data_file.h"
#include "package/integrity.h"
#include "package/package_header.h"
#include "package/package_rules.h"
#include "runtime.h"
#include "stub.h"

namespace velpack {

namespace {

namespace package = velumar::package;
using package::PackageEntry;
using package::PackageHeader;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

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

// The ways a page may spell a file name: as UTF-8 or in the code page, each as it is or
// percent-encoded, lower-cased for a search without regard to ASCII case.
std::vector<std::string> pageSpellings(std::string_view utf8, std::string_view ansi) {
    const auto percentEncoded = [](std::string_view text) {
        static constexpr char kHex[] = "0123456789abcdef";
        std::string out;
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x80 || c == ' ') {
                out += '%';
                out += kHex[byte >> 4];
                out += kHex[byte & 0x0F];
            } else {
                out += c;
            }
        }
        return out;
    };
    std::vector<std::string> spellings = {
        lowered(utf8), lowered(ansi), lowered(percentEncoded(utf8)), lowered(percentEncoded(ansi))};
    std::sort(spellings.begin(), spellings.end());
    spellings.erase(std::unique(spellings.begin(), spellings.end()), spellings.end());
    return spellings;
}

class Builder {
  public:
    Builder(const Manifest& manifest, const BuildOptions& options, std::vector<std::string>& errors,
            std::vector<std::string>& notes)
        : manifest_(manifest), options_(options), errors_(errors), notes_(notes) {}

    Bytes build() {
        fillHead();
        for (int slot = 1; slot < package::kSlotCount; ++slot) planSlot(slot);
        checkRequiredSlots();
        warnOfPageLinks();
        std::optional<Bytes> stub = loadStub();
        if (!errors_.empty() || !stub) return {};
        Bytes installer = assemble(std::move(*stub));
        if (!errors_.empty()) return {};
        const Inspection inspection = inspectInstaller(installer, std::nullopt, manifest_.codePage);
        for (const std::string& problem : inspection.problems) {
            error(0, "the built installer would not work: " + problem);
        }
        return errors_.empty() ? installer : Bytes{};
    }

  private:
    void error(int line, const std::string& message) {
        errors_.push_back(manifest_.where(line) + message);
    }

    void note(int line, const std::string& message) {
        notes_.push_back(manifest_.where(line) + message);
    }

    // A name in the package's code page, for messages.
    std::string shown(std::string_view name) const { return toUtf8(name, manifest_.codePage); }

    // A host file name in the package's code page; nothing (and an error naming `what` and the
    // character) when it cannot be.
    std::optional<std::string> hostNameInCodePage(int line, const std::string& what,
                                                  const fs::path& name) {
        const std::string utf8 = utf8Of(name);
        const Conversion converted = fromUtf8(utf8, manifest_.codePage);
        if (converted.ok()) return converted.text;
        error(line, what + " \"" + utf8 + "\": " + converted.describe(manifest_.codePage) +
                        ": choose a codePage in [package] that holds it, or rename the file");
        return std::nullopt;
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

    std::optional<std::string> defaultName(int slot, const fs::path& file, int line) {
        const std::string what = "slot " + std::to_string(slot) + ": the file name";
        switch (slot) {
            case package::slots::compressionLibrary:
                return std::string(package::kStoredLibraryName);
            case package::slots::flashInstaller:
                return std::string(package::kFlashInstallerFileName);
            case package::slots::preview: {
                const std::optional<std::string> extension =
                    hostNameInCodePage(line, "slot 3: the file's extension", file.extension());
                if (!extension) return std::nullopt;
                return std::string(package::kPreviewBaseName) + *extension;
            }
            case package::slots::wallpaperPage:
                return package::wallpaperPageName(manifest_.wallpaperName);
            case package::slots::dataFile:
                return manifest_.wallpaperName + std::string(package::kDataFileSuffix);
            case package::slots::uninstaller:
                return std::string(package::kUninstallerFileName);
            default:
                return hostNameInCodePage(line, what, file.filename());
        }
    }

    // The path behind a manifest's file reference; project files are searched.
    std::optional<fs::path> resolve(const FileRef& file, int line) {
        if (file.projectName.empty()) return file.path;
        if (auto found = findProjectFile(file.projectName, options_.projectDirs)) return found;
        std::string places;
        for (const fs::path& place : projectFileCandidates(file.projectName, options_.projectDirs))
            places += (places.empty() ? "" : ", ") + place.string();
        error(line, "cannot find the project's " + file.projectName + " (looked for " + places +
                        "; give --project-dir DIR)");
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
            given.destination.value_or(package::kDefaultDestinations[static_cast<size_t>(slot)]);
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
        const int nameLine = given.nameLine   ? given.nameLine
                             : given.fileLine ? given.fileLine
                             : given.line     ? given.line
                                              : manifest_.packageLine;
        std::optional<std::string> name = given.name;
        if (!name) name = defaultName(slot, file, nameLine);
        if (!name) return;
        if (slot == package::slots::license && given.convert.value_or(true)) {
            if (!convertLicence(*plain, file, given.fileLine)) return;
        }
        if (slot == package::slots::uninstaller && options_.signing) {
            if (!signUninstaller(*plain, file, given.fileLine)) return;
        }
        if (slot == package::slots::wallpaperPage) {
            page_ = PageText{file, given.fileLine ? given.fileLine : given.line, *plain};
        }
        plan.filled = true;
        plan.name = *name;
        plan.size = static_cast<int64_t>(plain->size());
        plan.stored =
            plan.compressed ? implodeBytes(*plain, manifest_.compression) : std::move(*plain);
        if (!package::isValidFileName(plan.name) ||
            plan.name.size() > package::kEntryNameCapacity) {
            error(given.nameLine ? given.nameLine : given.line,
                  "slot " + std::to_string(slot) + ": the name \"" + shown(plan.name) +
                      "\" is not a plain file name of at most 255 characters");
        }
    }

    // The uninstaller is signed as it is written to the user's disk, so that it names its
    // publisher when it runs; then it is packed like any file.
    bool signUninstaller(Bytes& program, const fs::path& file, int line) {
        SignedProgram signedProgram =
            signProgram(program, *options_.signing, manifest_.wallpaperName + " uninstaller");
        if (!signedProgram.ok()) {
            error(line,
                  "cannot sign the uninstaller " + file.string() + ": " + signedProgram.error);
            return false;
        }
        note(line, "slot 9: " + utf8Of(file.filename()) + " signed (" +
                       std::to_string(program.size()) + " to " +
                       std::to_string(signedProgram.bytes.size()) + " bytes)");
        program = std::move(signedProgram.bytes);
        return true;
    }

    // The licence is shown by the installer as 8-bit text in the users' code page. False when
    // it holds a character the code page cannot (reported at its line in the licence).
    bool convertLicence(Bytes& text, const fs::path& file, int line) {
        const std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size());
        const std::string name = utf8Of(file.filename());
        const CodePage& codePage = manifest_.codePage;
        if (isAscii(bytes)) return true;
        if (!isValidUtf8(bytes)) {
            note(line,
                 name + " is neither ASCII nor UTF-8: taken as already in " + codePage.label());
            return true;
        }
        const bool marked = bytes.starts_with(kUtf8Bom);
        const std::string_view body = marked ? bytes.substr(kUtf8Bom.size()) : bytes;
        const Conversion converted = fromUtf8(body, codePage);
        if (!converted.ok()) {
            const size_t at = converted.offset + (marked ? kUtf8Bom.size() : 0);
            errors_.push_back(utf8Of(file) + ":" + std::to_string(lineAt(bytes, at)) + ": " +
                              converted.describe(codePage) +
                              ": change the text, choose a codePage in [package] that holds "
                              "it, or set convert = no in [slot4] to keep the bytes as they are");
            return false;
        }
        note(line, name + " is UTF-8: converted to " + codePage.label() +
                       (marked ? ", its byte order mark dropped" : ""));
        text.assign(converted.text.begin(), converted.text.end());
        return true;
    }

    // A link in the page to a packaged file is made of the name as the author's system spells
    // it; the installed file is named in the users' code page. For a non-ASCII name the two
    // may differ on the user's machine.
    void warnOfPageLinks() {
        if (!page_) return;
        std::string page(page_->bytes.begin(), page_->bytes.end());
        page = lowered(page);
        std::vector<std::string> warned;
        for (const std::string& path : writtenNames_) {
            size_t start = 0;
            while (start <= path.size()) {
                size_t end = path.find('\\', start);
                if (end == std::string::npos) end = path.size();
                const std::string part = path.substr(start, end - start);
                start = end + 1;
                if (isAscii(part) || std::find(warned.begin(), warned.end(), part) != warned.end())
                    continue;
                for (const std::string& spelling : pageSpellings(shown(part), part)) {
                    if (page.find(spelling) == std::string::npos) continue;
                    warned.push_back(part);
                    note(page_->line, "warning: the page " + utf8Of(page_->file.filename()) +
                                          " names the local file \"" + shown(part) +
                                          "\", whose name is not ASCII: the link may not "
                                          "resolve on the user's machine; use ASCII file names");
                    break;
                }
            }
        }
    }

    void checkRequiredSlots() {
        for (const SlotPlan& plan : plans_) {
            if (plan.filled) writtenNames_.push_back(plan.name);
        }
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
            error(line, "the record name \"" + shown(name) + "\" is already used (line " +
                            std::to_string(earlier->second) + ")");
            return;
        }
        writtenNames_.push_back(name);
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
        bool converted = true;
        for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end;
             it.increment(code)) {
            if (!it->is_regular_file(code)) continue;
            std::optional<std::string> name = hostNameInCodePage(
                line, "the data folder's file", it->path().lexically_relative(folder));
            if (!name) {
                converted = false;
                continue;
            }
            std::replace(name->begin(), name->end(), '/', '\\');
            files.emplace_back(std::move(*name), it->path());
        }
        if (!converted) return;
        if (code) {
            error(line, "cannot list the data folder " + folder.string() + ": " + code.message());
            return;
        }
        std::sort(files.begin(), files.end());
        for (const auto& [name, path] : files) {
            if (names.contains(lowered(name))) continue;
            if (name.size() > package::kRecordNameMax || !package::isValidRelativePath(name)) {
                error(line, "the data folder's file \"" + shown(name) +
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
        installer.setName(
            described(package::slots::installer).name.value_or(std::string(kDefaultStubName)));
        installer.destination =
            described(package::slots::installer)
                .destination.value_or(package::kDefaultDestinations[package::slots::installer]);
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
        package::sealInstaller(installerBytes, static_cast<uint32_t>(packageOffset));
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

    struct PageText {
        fs::path file;
        int line = 0;
        Bytes bytes;  // as the author wrote them
    };

    const Manifest& manifest_;
    const BuildOptions& options_;
    std::vector<std::string>& errors_;
    std::vector<std::string>& notes_;
    std::optional<PageText> page_;
    std::vector<std::string> writtenNames_;  // in the code page; records with their folders
    PackageHeader header_;
    std::array<SlotPlan, package::kSlotCount> plans_;
};

}  // namespace

BuildResult buildInstaller(const Manifest& manifest, const BuildOptions& options) {
    BuildResult result;
    Builder builder(manifest, options, result.errors, result.notes);
    result.installer = builder.build();
    return result;
}

void signBuiltInstaller(const Manifest& manifest, const SigningKey& key, BuildResult& result) {
    SignedProgram signedInstaller = signProgram(result.installer, key, manifest.wallpaperName);
    result.installer.clear();
    if (!signedInstaller.ok()) {
        result.errors.push_back(manifest.where(manifest.packageLine) +
                                "cannot sign the installer: " + signedInstaller.error);
        return;
    }
    const Inspection inspection =
        inspectInstaller(signedInstaller.bytes, std::nullopt, manifest.codePage);
    for (const std::string& problem : inspection.problems) {
        result.errors.push_back(manifest.where(manifest.packageLine) +
                                "the signed installer would not work: " + problem);
    }
    if (inspection.sound()) result.installer = std::move(signedInstaller.bytes);
}

}  // namespace velpack
