#include "manifest.h"
#include "util/ascii.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <sstream>

#include "ini.h"
#include "package/data_file.h"
#include "package/package_rules.h"

namespace velpack {

namespace {

namespace package = velumar::package;
namespace implode = velumar::implode;

constexpr std::array<std::string_view, package::kSlotCount> kSlotRoles = {
    "installer image", "compression library", "Flash player installer",
    "preview",         "licence text",        "open-after-install file",
    "wallpaper page",  "unused slot",         "data file",
    "uninstaller",     "extra file"};

std::string lowered(std::string_view text) {
    return velumar::asciiLowered(text);
}

std::optional<int64_t> parseInteger(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> parseBool(std::string_view text) {
    const std::string value = lowered(text);
    if (value == "yes" || value == "true" || value == "on" || value == "1") return true;
    if (value == "no" || value == "false" || value == "off" || value == "0") return false;
    return std::nullopt;
}

// Parses "[prefix]N" with N in [low, high]; nothing when the name differs.
std::optional<int> numberedSection(std::string_view name, std::string_view prefix, int low,
                                   int high) {
    if (name.size() <= prefix.size() || !iniNameEquals(name.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    const std::optional<int64_t> number = parseInteger(digits);
    if (!number || *number < low || *number > high) return std::nullopt;
    return static_cast<int>(*number);
}

class ManifestParser {
  public:
    ManifestParser(const fs::path& path, std::vector<std::string>& errors) : errors_(errors) {
        manifest_.path = path;
        manifest_.folder = path.parent_path();
    }

    std::optional<Manifest> parse(const IniDocument& document) {
        std::map<std::string, int> seen;
        for (const IniSection& section : document.sections) {
            const std::string key = lowered(section.name);
            if (const auto earlier = seen.find(key); earlier != seen.end()) {
                error(section.line, "[" + section.name + "] appears twice (first on line " +
                                        std::to_string(earlier->second) + ")");
                continue;
            }
            seen.emplace(key, section.line);
            parseSection(section);
        }
        if (manifest_.packageLine == 0) {
            error(0, "the [package] section is missing");
        }
        std::sort(manifest_.records.begin(), manifest_.records.end(),
                  [](const RecordDescription& a, const RecordDescription& b) {
                      return a.number < b.number;
                  });
        convertNames();
        if (!errors_.empty()) return std::nullopt;
        return manifest_;
    }

  private:
    // A slot's name as the author wrote it; each is judged, even one given twice.
    struct GivenSlotName {
        int slot = 0;
        int line = 0;
        std::string value;
    };

    void error(int line, const std::string& message) {
        errors_.push_back(manifest_.where(line) + message);
    }

    void parseSection(const IniSection& section) {
        if (iniNameEquals(section.name, "package")) return parsePackage(section);
        if (iniNameEquals(section.name, "data")) return parseData(section);
        if (const auto slot = numberedSection(section.name, "slot", 0, package::kSlotCount - 1)) {
            return parseSlot(section, *slot);
        }
        if (const auto record =
                numberedSection(section.name, "record", 1, package::kMaxDataRecords)) {
            return parseRecord(section, *record);
        }
        error(section.line, "unknown section [" + section.name +
                                "]; expected [package], [slot0] to [slot10], [data] or "
                                "[record1] to [record109]");
    }

    void unknownKey(const IniEntry& entry, std::string_view section, std::string_view keys) {
        error(entry.line, "unknown key \"" + entry.key + "\" in [" + std::string(section) +
                              "]; expected one of: " + std::string(keys));
    }

    std::optional<bool> boolValue(const IniEntry& entry) {
        const std::optional<bool> value = parseBool(entry.value);
        if (!value)
            error(entry.line, entry.key + " must be yes or no, not \"" + entry.value + "\"");
        return value;
    }

    std::optional<int64_t> integerValue(const IniEntry& entry, int64_t low, int64_t high) {
        const std::optional<int64_t> value = parseInteger(entry.value);
        if (!value || *value < low || *value > high) {
            error(entry.line, entry.key + " must be a number from " + std::to_string(low) + " to " +
                                  std::to_string(high) + ", not \"" + entry.value + "\"");
            return std::nullopt;
        }
        return value;
    }

    std::optional<fs::path> pathValue(const IniEntry& entry) {
        if (entry.value.empty()) {
            error(entry.line, entry.key + " needs a path");
            return std::nullopt;
        }
        return manifest_.folder / pathFromUtf8(entry.value);
    }

    std::optional<FileRef> fileValue(const IniEntry& entry) {
        if (entry.value.starts_with(kProjectPrefix)) {
            const std::string name = entry.value.substr(kProjectPrefix.size());
            if (!package::isValidFileName(name)) {
                error(entry.line, "project: needs a file name, not \"" + name + "\"");
                return std::nullopt;
            }
            return FileRef{{}, name};
        }
        std::optional<fs::path> path = pathValue(entry);
        if (!path) return std::nullopt;
        return FileRef{*path, {}};
    }

    void parseKind(const IniEntry& entry) {
        const std::string value = lowered(entry.value);
        if (const std::optional<package::InstallerKind> kind = package::kindNamed(value)) {
            manifest_.kind = static_cast<uint8_t>(*kind);
            return;
        }
        if (const std::optional<int64_t> number = parseInteger(value);
            number && *number >= 0 && *number <= 255) {
            manifest_.kind = static_cast<uint8_t>(*number);
            return;
        }
        error(entry.line,
              "kind must be picture, movie, silent, jpeg or a number from 0 to 255, "
              "not \"" +
                  entry.value + "\"");
    }

    void parseBackground(const IniEntry& entry) {
        std::array<int32_t, 3> colour{};
        std::string_view rest = entry.value;
        for (size_t i = 0; i < colour.size(); ++i) {
            const size_t comma = rest.find(',');
            std::string part(rest.substr(0, comma));
            part.erase(0, part.find_first_not_of(" \t"));
            part.erase(part.find_last_not_of(" \t") + 1);
            const std::optional<int64_t> value = parseInteger(part);
            const bool last = i + 1 == colour.size();
            if (!value || *value < 0 || *value > 255 || (comma == std::string_view::npos) != last) {
                error(entry.line,
                      "background must be three numbers from 0 to 255, red, green, "
                      "blue, not \"" +
                          entry.value + "\"");
                return;
            }
            colour[i] = static_cast<int32_t>(*value);
            if (!last) rest = rest.substr(comma + 1);
        }
        manifest_.background = colour;
    }

    void parseLiteralMode(const IniEntry& entry) {
        const std::string value = lowered(entry.value);
        if (value == "binary") {
            manifest_.compression.mode = implode::LiteralMode::Binary;
        } else if (value == "ascii") {
            manifest_.compression.mode = implode::LiteralMode::Ascii;
        } else {
            error(entry.line, "literalMode must be binary or ascii, not \"" + entry.value + "\"");
        }
    }

    void parseDictionarySize(const IniEntry& entry) {
        const std::optional<int64_t> value = parseInteger(entry.value);
        if (value == 1024) {
            manifest_.compression.dictionary = implode::DictionarySize::Bytes1024;
        } else if (value == 2048) {
            manifest_.compression.dictionary = implode::DictionarySize::Bytes2048;
        } else if (value == 4096) {
            manifest_.compression.dictionary = implode::DictionarySize::Bytes4096;
        } else {
            error(entry.line,
                  "dictionarySize must be 1024, 2048 or 4096, not \"" + entry.value + "\"");
        }
    }

    void parsePackage(const IniSection& section) {
        manifest_.packageLine = section.line;
        bool kindGiven = false;
        bool nameGiven = false;
        for (const IniEntry& entry : section.entries) {
            if (iniNameEquals(entry.key, "kind")) {
                kindGiven = true;
                parseKind(entry);
            } else if (iniNameEquals(entry.key, "wallpaperName")) {
                nameGiven = true;
                manifest_.wallpaperName = entry.value;
                manifest_.wallpaperNameLine = entry.line;
            } else if (iniNameEquals(entry.key, "codePage")) {
                parseCodePage(entry);
            } else if (iniNameEquals(entry.key, "showLicense")) {
                manifest_.showLicense = boolValue(entry);
            } else if (iniNameEquals(entry.key, "openAfterInstall")) {
                manifest_.openAfterInstall = boolValue(entry);
            } else if (iniNameEquals(entry.key, "offerDisplayProperties")) {
                manifest_.offerDisplayProperties = boolValue(entry).value_or(false);
            } else if (iniNameEquals(entry.key, "background")) {
                parseBackground(entry);
            } else if (iniNameEquals(entry.key, "stub")) {
                manifest_.stub = fileValue(entry);
            } else if (iniNameEquals(entry.key, "literalMode")) {
                parseLiteralMode(entry);
            } else if (iniNameEquals(entry.key, "dictionarySize")) {
                parseDictionarySize(entry);
            } else {
                unknownKey(entry, "package",
                           "kind, wallpaperName, showLicense, openAfterInstall, "
                           "offerDisplayProperties, background, stub, literalMode, dictionarySize, "
                           "codePage");
            }
        }
        if (!kindGiven) error(section.line, "[package] needs kind");
        if (!nameGiven) error(section.line, "[package] needs wallpaperName");
    }

    void parseSlot(const IniSection& section, int index) {
        SlotDescription& slot = manifest_.slots[static_cast<size_t>(index)];
        slot.given = true;
        slot.line = section.line;
        for (const IniEntry& entry : section.entries) {
            if (iniNameEquals(entry.key, "file")) {
                if (index == package::slots::installer) {
                    error(entry.line,
                          "slot 0 is the installer stub: set stub in [package] or use --stub");
                    continue;
                }
                slot.file = fileValue(entry);
                slot.fileLine = entry.line;
            } else if (iniNameEquals(entry.key, "name")) {
                givenSlotNames_.push_back({index, entry.line, entry.value});
            } else if (iniNameEquals(entry.key, "destination")) {
                if (const auto value = integerValue(entry, 0, 10)) {
                    slot.destination = static_cast<int32_t>(*value);
                    slot.destinationLine = entry.line;
                }
            } else if (iniNameEquals(entry.key, "compressed")) {
                slot.compressed = boolValue(entry);
                slot.compressedLine = entry.line;
            } else if (iniNameEquals(entry.key, "convert") && index == package::slots::license) {
                slot.convert = boolValue(entry);
                slot.convertLine = entry.line;
            } else if (iniNameEquals(entry.key, "convert")) {
                error(entry.line,
                      "convert belongs to [slot4], the licence text: it is the only text the "
                      "installer shows");
            } else {
                unknownKey(entry, section.name,
                           index == package::slots::license
                               ? "file, name, destination, compressed, convert"
                               : "file, name, destination, compressed");
            }
        }
    }

    void parseData(const IniSection& section) {
        DataDescription& data = manifest_.data;
        data.given = true;
        data.line = section.line;
        for (const IniEntry& entry : section.entries) {
            if (iniNameEquals(entry.key, "folder")) {
                data.folder = pathValue(entry);
            } else if (iniNameEquals(entry.key, "kind")) {
                if (const auto value = integerValue(entry, INT32_MIN, INT32_MAX)) {
                    data.kind = static_cast<int32_t>(*value);
                }
            } else if (iniNameEquals(entry.key, "compressed")) {
                data.compressed = boolValue(entry).value_or(false);
            } else {
                unknownKey(entry, "data", "folder, kind, compressed");
            }
        }
    }

    void parseRecord(const IniSection& section, int number) {
        RecordDescription record;
        record.number = number;
        record.line = section.line;
        bool named = false;
        for (const IniEntry& entry : section.entries) {
            if (iniNameEquals(entry.key, "name")) {
                named = true;
                record.name = entry.value;
                record.nameLine = entry.line;
            } else if (iniNameEquals(entry.key, "file")) {
                record.file = fileValue(entry);
            } else if (iniNameEquals(entry.key, "copy")) {
                record.copy = boolValue(entry).value_or(false);
            } else if (iniNameEquals(entry.key, "compressed")) {
                record.compressed = boolValue(entry);
            } else {
                unknownKey(entry, section.name, "name, file, copy, compressed");
            }
        }
        if (record.copy && record.file) {
            error(section.line, "a copy record has no file of its own");
        }
        if (!record.copy && !record.file) {
            error(section.line, "[" + section.name + "] needs file (or copy = yes)");
        }
        if (!named) {
            if (record.file) {
                record.name = record.file->projectName.empty()
                                  ? utf8Of(record.file->path.filename())
                                  : record.file->projectName;
            } else {
                error(section.line, "[" + section.name + "] needs name");
            }
        }
        manifest_.records.push_back(std::move(record));
    }

    void parseCodePage(const IniEntry& entry) {
        const std::optional<int64_t> number = parseInteger(entry.value);
        const std::optional<CodePage> codePage = number && *number > 0 && *number < 100000
                                                     ? CodePage::find(static_cast<int>(*number))
                                                     : std::nullopt;
        if (!codePage) {
            error(entry.line, "codePage must be " + std::string(kCodePageChoices) + ", not \"" +
                                  entry.value + "\"");
            return;
        }
        manifest_.codePage = *codePage;
    }

    // The author's UTF-8 `name` in the package's code page; nothing (and an error naming
    // `what` and the character) when it cannot be.
    std::optional<std::string> inCodePage(int line, const std::string& what,
                                          const std::string& name) {
        const Conversion converted = fromUtf8(name, manifest_.codePage);
        if (converted.ok()) return converted.text;
        if (converted.failure == Conversion::Failure::invalidUtf8) {
            error(line, what + " is not valid UTF-8: save the manifest as UTF-8");
        } else {
            error(line, what + " \"" + name + "\": " + converted.describe(manifest_.codePage) +
                            ": choose a codePage in [package] that holds it, or another name");
        }
        return std::nullopt;
    }

    // Names are converted once the code page is known, wherever [package] stands, and the
    // name rules judge the converted names, which the installer will use.
    void convertNames() {
        if (manifest_.wallpaperNameLine != 0) convertWallpaperName();
        for (const GivenSlotName& given : givenSlotNames_) convertSlotName(given);
        for (RecordDescription& record : manifest_.records) {
            if (record.nameLine != 0 || !record.name.empty()) convertRecordName(record);
        }
    }

    void convertWallpaperName() {
        const std::string given = manifest_.wallpaperName;
        const int line = manifest_.wallpaperNameLine;
        const std::optional<std::string> name = inCodePage(line, "wallpaperName", given);
        if (!name) return;
        manifest_.wallpaperName = *name;
        if (!package::isValidWallpaperName(*name)) {
            error(line,
                  "wallpaperName must be 1 to 64 characters and a valid "
                  "folder name (no \\ / : * ? \" < > | or control "
                  "characters, no trailing dot or blank, not a device name)");
        }
    }

    void convertSlotName(const GivenSlotName& given) {
        SlotDescription& slot = manifest_.slots[static_cast<size_t>(given.slot)];
        slot.name = given.value;
        slot.nameLine = given.line;
        const std::optional<std::string> name =
            inCodePage(given.line, "[slot" + std::to_string(given.slot) + "] name", given.value);
        if (!name) return;
        slot.name = *name;
        if (name->size() > package::kEntryNameCapacity) {
            error(given.line, "a slot name has at most 255 characters");
        } else if (!package::isValidFileName(*name)) {
            error(given.line, "slot name \"" + given.value +
                                  "\" is not a plain file name (no \\ / : * ? \" < > |, "
                                  "\"..\" or control characters)");
        }
    }

    void convertRecordName(RecordDescription& record) {
        const std::string given = record.name;
        const int line = record.nameLine != 0 ? record.nameLine : record.line;
        const std::string what = "[record" + std::to_string(record.number) + "] " +
                                 (record.nameLine != 0 ? "name" : "file name");
        std::optional<std::string> name = inCodePage(line, what, given);
        if (!name) return;
        std::replace(name->begin(), name->end(), '/', '\\');
        record.name = *name;
        if (name->size() > package::kRecordNameMax) {
            error(line, "a record name has at most 255 characters");
        } else if (!package::isValidRelativePath(*name)) {
            error(line, "record name \"" + given +
                            "\" would leave the wallpaper folder or is not a "
                            "valid Windows path");
        }
    }

    Manifest manifest_;
    std::vector<std::string>& errors_;
    std::vector<GivenSlotName> givenSlotNames_;
};

}  // namespace

std::string Manifest::where(int line) const {
    std::string text = path.string();
    if (line > 0) text += ":" + std::to_string(line);
    return text + ": ";
}

ManifestLoad parseManifest(std::string_view text, const fs::path& path) {
    ManifestLoad load;
    std::vector<IniError> iniErrors;
    const IniDocument document = parseIni(text, iniErrors);
    for (const IniError& error : iniErrors) {
        load.errors.push_back(path.string() + ":" + std::to_string(error.line) + ": " +
                              error.message);
    }
    ManifestParser parser(path, load.errors);
    std::optional<Manifest> manifest = parser.parse(document);
    if (load.errors.empty()) load.manifest = std::move(manifest);
    return load;
}

ManifestLoad loadManifest(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, {path.string() + ": cannot open the manifest"}};
    std::ostringstream text;
    text << in.rdbuf();
    return parseManifest(text.str(), path);
}

std::string_view kindName(uint8_t kind) noexcept {
    return package::kindName(kind);
}

std::string_view slotRole(int slot) noexcept {
    if (slot < 0 || slot >= package::kSlotCount) return "";
    return kSlotRoles[static_cast<size_t>(slot)];
}

}  // namespace velpack
