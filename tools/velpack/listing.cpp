#include "listing.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "manifest.h"

namespace velpack {

namespace {

namespace package = velumar::package;
using package::PackageEntry;
using package::PackageHeader;

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

std::string kindText(uint8_t kind) {
    const std::string_view name = kindName(kind);
    return std::to_string(kind) + (name.empty() ? "" : " (" + std::string(name) + ")");
}

}  // namespace

// Text in UTF-8 as a JSON string.
std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

namespace {

std::string jsonBool(bool value) {
    return value ? "true" : "false";
}

// Names of the package, read in its code page, in UTF-8.
class Names {
  public:
    explicit Names(const CodePage& codePage) : codePage_(codePage) {}
    std::string operator()(std::string_view name) const { return toUtf8(name, codePage_); }

  private:
    const CodePage& codePage_;
};

// Characters, not bytes, of UTF-8 text: what a column needs.
size_t shownWidth(std::string_view utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string padded(const std::string& text, size_t width) {
    const size_t shown = shownWidth(text);
    return text + std::string(width > shown ? width - shown : 0, ' ') + " ";
}

size_t slotNameWidth(const PackageHeader& header, const Names& names) {
    size_t width = 12;
    for (const PackageEntry& entry : header.entries)
        width = std::max(width, shownWidth(names(entry.name())));
    return width;
}

size_t recordNameWidth(const package::DataFile& data, const Names& names) {
    size_t width = 12;
    for (const package::DataRecord& record : data.records) {
        width = std::max(width, shownWidth(names(record.name())));
    }
    return width;
}

void textHeader(std::ostringstream& out, const PackageHeader& header, const CodePage& codePage) {
    const Names names(codePage);
    const size_t nameWidth = slotNameWidth(header, names);
    out << "codePage      " << codePage.number() << " (" << codePage.name()
        << "; names shown in UTF-8)\n";
    out << "kind          " << kindText(header.kind) << "\n";
    out << "wallpaper     " << names(header.wallpaperName()) << "\n";
    out << "showLicense   " << yesNo(header.showLicense != 0) << "\n";
    out << "openAfterInstall " << yesNo(header.openAfterInstall != 0) << "\n";
    out << "offerDisplayProperties " << yesNo(header.offerDisplayProperties != 0) << "\n";
    out << "background    " << header.backgroundRed << ", " << header.backgroundGreen << ", "
        << header.backgroundBlue << "\n\n";
    out << padded("slot", 4) << padded("name", nameWidth) << padded("start", 10)
        << padded("end", 10) << padded("dest", 4) << padded("compressed", 10)
        << padded("storedSize", 10) << "size\n";
    for (int slot = 0; slot < package::kSlotCount; ++slot) {
        const PackageEntry& entry = header.slot(slot);
        out << padded(std::to_string(slot), 4);
        if (entry.empty()) {
            out << padded("(empty)", nameWidth) << padded(std::to_string(entry.startOffset), 10)
                << padded(std::to_string(entry.endOffset), 10) << entry.destination << "\n";
            continue;
        }
        out << padded(names(entry.name()), nameWidth)
            << padded(std::to_string(entry.startOffset), 10)
            << padded(std::to_string(entry.endOffset), 10)
            << padded(std::to_string(entry.destination), 4)
            << padded(yesNo(entry.isCompressed()), 10)
            << padded(std::to_string(entry.storedSize), 10) << entry.size << "\n";
    }
}

void textDataFile(std::ostringstream& out, const Inspection& inspection) {
    const package::DataFile& data = *inspection.dataFile;
    const Names names(inspection.codePage);
    out << "\ndata file     " << data.recordCount() << " records, wallpaper "
        << names(data.header.wallpaperName()) << ", kind " << data.header.dataKind() << "\n";
    if (data.recordCount() == 0) return;
    const size_t nameWidth = recordNameWidth(data, names);
    out << padded("rec", 4) << padded("type", 5) << padded("name", nameWidth) << padded("block", 10)
        << padded("compressed", 10) << padded("storedSize", 10) << "size\n";
    for (int number = 1; number <= data.recordCount(); ++number) {
        const package::DataRecord& record = data.record(number);
        out << padded(std::to_string(number), 4) << padded(std::to_string(record.type()), 5)
            << padded(record.name().empty() ? "(skipped)" : names(record.name()), nameWidth);
        if (const package::BlockHeader* block = data.block(number)) {
            out << padded(std::to_string(record.blockOffset()), 10)
                << padded(yesNo(block->compressed()), 10)
                << padded(std::to_string(block->storedSize()), 10) << block->size() << "\n";
        } else {
            out << (data.isCopyRecord(number) ? "copy" : "-") << "\n";
        }
    }
}

void jsonHeader(std::ostringstream& out, const PackageHeader& header, const CodePage& codePage) {
    const Names names(codePage);
    out << "  \"header\": {\n"
        << "    \"codePage\": " << codePage.number() << ",\n"
        << "    \"kind\": " << int(header.kind) << ",\n"
        << "    \"kindName\": " << jsonString(kindName(header.kind)) << ",\n"
        << "    \"wallpaperName\": " << jsonString(names(header.wallpaperName())) << ",\n"
        << "    \"showLicense\": " << jsonBool(header.showLicense != 0) << ",\n"
        << "    \"openAfterInstall\": " << jsonBool(header.openAfterInstall != 0) << ",\n"
        << "    \"offerDisplayProperties\": " << jsonBool(header.offerDisplayProperties != 0)
        << ",\n"
        << "    \"background\": [" << header.backgroundRed << ", " << header.backgroundGreen << ", "
        << header.backgroundBlue << "]\n  },\n";
    out << "  \"slots\": [\n";
    for (int slot = 0; slot < package::kSlotCount; ++slot) {
        const PackageEntry& entry = header.slot(slot);
        out << "    {\"slot\": " << slot << ", \"name\": " << jsonString(names(entry.name()))
            << ", \"empty\": " << jsonBool(entry.empty())
            << ", \"startOffset\": " << entry.startOffset << ", \"endOffset\": " << entry.endOffset
            << ", \"destination\": " << entry.destination
            << ", \"compressed\": " << jsonBool(entry.isCompressed())
            << ", \"storedSize\": " << entry.storedSize << ", \"size\": " << entry.size << "}"
            << (slot + 1 < package::kSlotCount ? "," : "") << "\n";
    }
    out << "  ],\n";
}

void jsonDataFile(std::ostringstream& out, const Inspection& inspection) {
    if (!inspection.dataFile) {
        out << "  \"dataFile\": null,\n";
        return;
    }
    const package::DataFile& data = *inspection.dataFile;
    const Names names(inspection.codePage);
    out << "  \"dataFile\": {\n"
        << "    \"recordCount\": " << data.recordCount() << ",\n"
        << "    \"wallpaperName\": " << jsonString(names(data.header.wallpaperName())) << ",\n"
        << "    \"dataKind\": " << data.header.dataKind() << ",\n"
        << "    \"records\": [\n";
    for (int number = 1; number <= data.recordCount(); ++number) {
        const package::DataRecord& record = data.record(number);
        out << "      {\"number\": " << number << ", \"type\": " << int(record.type())
            << ", \"name\": " << jsonString(names(record.name()))
            << ", \"copy\": " << jsonBool(data.isCopyRecord(number));
        if (const package::BlockHeader* block = data.block(number)) {
            out << ", \"blockOffset\": " << record.blockOffset()
                << ", \"compressed\": " << jsonBool(block->compressed())
                << ", \"storedSize\": " << block->storedSize() << ", \"size\": " << block->size();
        }
        out << "}" << (number < data.recordCount() ? "," : "") << "\n";
    }
    out << "    ]\n  },\n";
}

const char* verdictName(package::IntegrityVerdict verdict) {
    switch (verdict) {
        case package::IntegrityVerdict::noRecord:
            return "none";
        case package::IntegrityVerdict::sound:
            return "sound";
        case package::IntegrityVerdict::cutShort:
            return "cut short";
        case package::IntegrityVerdict::recordLies:
            return "record damaged";
        case package::IntegrityVerdict::crcDiffers:
            return "damaged";
        case package::IntegrityVerdict::readFailed:
            break;
    }
    return "unreadable";
}

std::string crcHex(uint32_t crc) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(crc));
    return text;
}

// "440123 bytes, CRC-32 0x1A2B3C4D: sound", or "none (built without an integrity record)".
std::string integrityText(const Inspection& inspection) {
    const auto record = package::integrityRecordOf(*inspection.header);
    if (!record) return "none (built without an integrity record)";
    return std::to_string(record->installerLength) + " bytes, CRC-32 " +
           crcHex(record->installerCrc) + ": " + verdictName(inspection.integrity->verdict);
}

void jsonIntegrity(std::ostringstream& out, const Inspection& inspection) {
    const auto record = package::integrityRecordOf(*inspection.header);
    if (!record) {
        out << "  \"integrity\": null,\n";
        return;
    }
    out << "  \"integrity\": {\"length\": " << record->installerLength
        << ", \"crc32\": " << jsonString(crcHex(record->installerCrc))
        << ", \"verdict\": " << jsonString(verdictName(inspection.integrity->verdict)) << "},\n";
}

}  // namespace

std::string listingText(const Inspection& inspection, std::string_view fileName) {
    std::ostringstream out;
    out << "installer     " << fileName << " (" << inspection.fileSize << " bytes)\n";
    if (inspection.location) {
        out << "package at    " << inspection.location->offset << " ("
            << describe(inspection.location->source) << ")\n";
    }
    if (inspection.header) out << "integrity     " << integrityText(inspection) << "\n";
    if (inspection.header) textHeader(out, *inspection.header, inspection.codePage);
    if (inspection.dataFile) textDataFile(out, inspection);
    return out.str();
}

std::string listingJson(const Inspection& inspection, std::string_view fileName) {
    std::ostringstream out;
    out << "{\n  \"file\": " << jsonString(fileName) << ",\n  \"size\": " << inspection.fileSize
        << ",\n";
    if (inspection.location) {
        const char* source = inspection.location->source == OffsetSource::option       ? "option"
                             : inspection.location->source == OffsetSource::stubRecord ? "stub"
                                                                                       : "pe";
        out << "  \"packageOffset\": " << inspection.location->offset << ",\n"
            << "  \"offsetSource\": \"" << source << "\",\n";
    } else {
        out << "  \"packageOffset\": null,\n";
    }
    if (inspection.header) {
        jsonIntegrity(out, inspection);
        jsonHeader(out, *inspection.header, inspection.codePage);
    } else {
        out << "  \"header\": null,\n  \"slots\": [],\n";
    }
    jsonDataFile(out, inspection);
    out << "  \"sound\": " << jsonBool(inspection.sound()) << ",\n  \"problems\": [";
    for (size_t i = 0; i < inspection.problems.size(); ++i) {
        out << (i ? ", " : "") << jsonString(inspection.problems[i]);
    }
    out << "]\n}\n";
    return out.str();
}

}  // namespace velpack
