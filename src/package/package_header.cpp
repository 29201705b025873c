#include "package/package_header.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "package/byte_io.h"
#include "package/package_rules.h"

namespace velumar::package {

namespace {

constexpr std::string_view kLibraryExtension = ".dll";

PackageEntry readEntry(ByteReader& in) noexcept {
    PackageEntry entry;
    in.bytes(std::span(entry.nameField));
    entry.startOffset = in.i32();
    entry.endOffset = in.i32();
    entry.destination = in.i32();
    entry.compressed = in.u8();
    in.bytes(std::span(entry.reserved));
    entry.storedSize = in.i32();
    entry.size = in.i32();
    return entry;
}

void writeEntry(ByteWriter& out, const PackageEntry& entry) noexcept {
    out.bytes(std::span<const char, 256>(entry.nameField));
    out.i32(entry.startOffset);
    out.i32(entry.endOffset);
    out.i32(entry.destination);
    out.u8(entry.compressed);
    out.bytes(std::span<const uint8_t, 3>(entry.reserved));
    out.i32(entry.storedSize);
    out.i32(entry.size);
}

bool writesToWallpaperFolder(int32_t value) noexcept {
    return value == destinations::wallpaperFolder || value == destinations::dataFile ||
           value == destinations::wallpaperFiles || value == destinations::installerImage ||
           value == destinations::extraFile;
}

}  // namespace

std::string_view PackageEntry::name() const noexcept {
    const auto length = static_cast<unsigned char>(nameField[0]);
    return std::string_view(nameField.data() + 1, length);
}

bool PackageEntry::setName(std::string_view text) noexcept {
    if (text.size() > kEntryNameCapacity) return false;
    nameField.fill(0);
    nameField[0] = static_cast<char>(text.size());
    std::copy(text.begin(), text.end(), nameField.begin() + 1);
    return true;
}

PackageEntry& PackageHeader::slot(int index) noexcept {
    assert(index >= 0 && index < kSlotCount);
    return entries[static_cast<size_t>(index)];
}

const PackageEntry& PackageHeader::slot(int index) const noexcept {
    assert(index >= 0 && index < kSlotCount);
    return entries[static_cast<size_t>(index)];
}

std::string PackageHeader::wallpaperName() const {
    const auto end = std::find(wallpaperNameField.begin(), wallpaperNameField.end(), '\0');
    return std::string(wallpaperNameField.begin(), end);
}

bool PackageHeader::setWallpaperName(std::string_view text) noexcept {
    if (text.size() > kWallpaperNameWidth) return false;
    wallpaperNameField.fill('\0');
    std::copy(text.begin(), text.end(), wallpaperNameField.begin());
    return true;
}

PackageHeader decodePackageHeader(std::span<const uint8_t, kPackageHeaderSize> bytes) noexcept {
    ByteReader in(bytes);
    PackageHeader header;
    header.kind = in.u8();
    header.showLicense = in.u8();
    header.openAfterInstall = in.u8();
    in.bytes(std::span(header.reserved3));
    in.bytes(std::span(header.reserved8));
    header.backgroundRed = in.i32();
    header.backgroundGreen = in.i32();
    header.backgroundBlue = in.i32();
    header.reserved28 = in.u8();
    header.offerDisplayProperties = in.u8();
    in.bytes(std::span(header.wallpaperNameField));
    in.bytes(std::span(header.reserved94));
    for (PackageEntry& entry : header.entries) entry = readEntry(in);
    assert(in.ok() && in.atEnd());
    return header;
}

PackageHeaderBytes encodePackageHeader(const PackageHeader& header) noexcept {
    PackageHeaderBytes bytes{};
    ByteWriter out(bytes);
    out.u8(header.kind);
    out.u8(header.showLicense);
    out.u8(header.openAfterInstall);
    out.bytes(std::span<const uint8_t, 5>(header.reserved3));
    out.bytes(std::span<const uint8_t, 8>(header.reserved8));
    out.i32(header.backgroundRed);
    out.i32(header.backgroundGreen);
    out.i32(header.backgroundBlue);
    out.u8(header.reserved28);
    out.u8(header.offerDisplayProperties);
    out.bytes(std::span<const char, kWallpaperNameWidth>(header.wallpaperNameField));
    out.bytes(std::span<const uint8_t, 2>(header.reserved94));
    for (const PackageEntry& entry : header.entries) writeEntry(out, entry);
    assert(out.ok() && out.position() == kPackageHeaderSize);
    return bytes;
}

ErrorCode readPackageHeader(ByteSource& source, uint32_t packageOffset,
                            PackageHeader& header) noexcept {
    PackageHeaderBytes bytes{};
    const ReadOutcome outcome = readExactly(source, packageOffset, bytes);
    if (outcome.systemCode != 0) return outcome.systemCode;
    if (!outcome.complete) return kShortHeader;
    header = decodePackageHeader(bytes);
    return kOk;
}

std::string replaceExtension(std::string_view name, std::string_view extension) {
    const size_t dot = name.find_last_of(".\\:");
    const bool hasExtension = dot != std::string_view::npos && name[dot] == '.';
    std::string result(hasExtension ? name.substr(0, dot) : name);
    result += extension;
    return result;
}

std::optional<std::string> destinationPath(const PackageEntry& entry,
                                           std::string_view windowsFolder,
                                           std::string_view wallpaperFolder) {
    const std::string_view name = entry.name();
    if (!isValidFileName(name)) return std::nullopt;

    if (writesToWallpaperFolder(entry.destination)) return joinInside(wallpaperFolder, name);
    if (entry.destination == destinations::wallpaperRoot) {
        return joinInside(wallpaperRootFolder(windowsFolder), name);
    }
    if (entry.destination == destinations::windowsFolder) {
        if (name == kFlashInstallerFileName) return joinInside(windowsFolder, name);
        return joinInside(windowsFolder, replaceExtension(name, kLibraryExtension));
    }
    return std::nullopt;
}

}  // namespace velumar::package
