// The package header record: 3176 bytes at the package offset of the
// installer's file (see package_offset.h), a 96-byte head followed by eleven
// 280-byte entries. Integers are little-endian; text is 8-bit ANSI. Offsets in
// the entries are absolute offsets in the installer's file.
//
//   head
//   offset width  field                   meaning
//        0     1  kind                    installer kind (InstallerKind)
//        1     1  showLicense             non-zero: licence text in slot 4
//        2     1  openAfterInstall        non-zero: slot 5 is opened after installing
//        3     5  reserved                zero
//        8     8  integrity record        installer length and CRC-32 (integrity.h); zero
//                                         in an installer built without one
//       16     4  backgroundRed           signed, 0 to 255
//       20     4  backgroundGreen         signed
//       24     4  backgroundBlue          signed
//       28     1  reserved
//       29     1  offerDisplayProperties  non-zero: offer Display Properties after installing
//       30    64  wallpaperName           text up to the first NUL, or all 64 characters
//       94     2  reserved                zero
//       96  3080  entries                 11 x PackageEntry, slots 0 to 10
//
//   entry
//        0   256  name          length byte (0 to 255), then 255 character bytes of which only
//                               the first `length` count; length 0 marks an empty slot
//      256     4  startOffset   offset of the first stored byte
//      260     4  endOffset     offset of the last stored byte (inclusive)
//      264     4  destination   where the entry is written (destinationPath)
//      268     1  compressed    non-zero: the stored bytes are imploded
//      269     3  reserved      zero
//      272     4  storedSize    stored length of a compressed entry, else 0 (informational)
//      276     4  size          length of the written file
//
// The record keeps every byte, reserved and stale ones included, so reading
// and writing a header gives back the same 3176 bytes.
#ifndef VELUMAR_PACKAGE_PACKAGE_HEADER_H
#define VELUMAR_PACKAGE_PACKAGE_HEADER_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "package/byte_source.h"
#include "util/error_codes.h"

namespace velumar::package {

inline constexpr size_t kPackageHeaderSize = 3176;
inline constexpr size_t kPackageHeadSize = 96;
inline constexpr size_t kPackageEntrySize = 280;
inline constexpr int kSlotCount = 11;
inline constexpr size_t kEntryNameCapacity = 255;
inline constexpr size_t kWallpaperNameWidth = 64;

static_assert(kPackageHeadSize + kSlotCount * kPackageEntrySize == kPackageHeaderSize);

// Values of the header's `kind`. Any other value still shows a window, with no
// preview loaded.
enum class InstallerKind : uint8_t {
    picture = 1,      // slot 3 is a bitmap, renamed to ".BMP"
    movie = 2,        // slot 3 is a Flash movie
    movieAlike = 3,   // handled exactly as movie
    silent = 4,       // no window: the installation runs at start-up
    jpegPicture = 8,  // slot 3 is a JPEG picture, renamed to ".jpg"
};

// The kinds' names, as a manifest and the package tool write them.
struct KindName {
    std::string_view name;
    InstallerKind kind;
};
inline constexpr std::array<KindName, 4> kKindNames = {{
    {"picture", InstallerKind::picture},
    {"movie", InstallerKind::movie},
    {"silent", InstallerKind::silent},
    {"jpeg", InstallerKind::jpegPicture},
}};

// The kind of a name of kKindNames (in lower case); nothing for any other text.
constexpr std::optional<InstallerKind> kindNamed(std::string_view name) noexcept {
    for (const KindName& entry : kKindNames) {
        if (entry.name == name) return entry.kind;
    }
    return std::nullopt;
}

// The name of a header's kind ("movie" also for movieAlike); "" for a value without one.
constexpr std::string_view kindName(uint8_t kind) noexcept {
    if (kind == static_cast<uint8_t>(InstallerKind::movieAlike)) return "movie";
    for (const KindName& entry : kKindNames) {
        if (static_cast<uint8_t>(entry.kind) == kind) return entry.name;
    }
    return "";
}

// True for every kind that shows the installer window (all but silent).
constexpr bool showsWindow(uint8_t kind) noexcept {
    return kind != static_cast<uint8_t>(InstallerKind::silent);
}

// The fixed roles of the eleven slots.
namespace slots {
inline constexpr int installer = 0;           // covers the installer's own image
inline constexpr int compressionLibrary = 1;  // impborl, written as impborl.dll
inline constexpr int flashInstaller = 2;
inline constexpr int preview = 3;
inline constexpr int license = 4;
inline constexpr int openAfterInstall = 5;
inline constexpr int wallpaperPage = 6;
inline constexpr int unused = 7;
inline constexpr int dataFile = 8;
inline constexpr int uninstaller = 9;
inline constexpr int extra = 10;
}  // namespace slots

// Values of an entry's `destination`.
namespace destinations {
inline constexpr int32_t none = 0;
inline constexpr int32_t wallpaperFolder = 1;  // also 4, 5, 6 and 10
inline constexpr int32_t wallpaperRoot = 2;    // Windows folder + "Web\Wallpaper\"
inline constexpr int32_t windowsFolder = 3;    // with the ".dll" renaming
inline constexpr int32_t dataFile = 4;         // wallpaper folder
inline constexpr int32_t wallpaperFiles = 5;   // wallpaper folder
inline constexpr int32_t installerImage = 6;   // wallpaper folder
inline constexpr int32_t extraFile = 10;       // wallpaper folder
}  // namespace destinations

// The shipped package's destination for each slot, as the package tool writes it.
inline constexpr std::array<int32_t, kSlotCount> kDefaultDestinations = {
    destinations::installerImage, destinations::windowsFolder,  destinations::windowsFolder,
    destinations::wallpaperFiles, destinations::wallpaperFiles, destinations::wallpaperFiles,
    destinations::wallpaperRoot,  destinations::wallpaperFiles, destinations::dataFile,
    destinations::wallpaperFiles, destinations::extraFile};

// The folder under the Windows folder that holds every wallpaper's page and folder.
inline constexpr std::string_view kWallpaperRoot = "Web\\Wallpaper\\";

// The shipped file names, the same for the installer and the package tool: the compression
// library under the Windows folder, the Flash player's installer there, the uninstaller in the
// wallpaper's folder; and the wallpaper's page "<name>.html" and folder "<name> dir\" under
// kWallpaperRoot.
inline constexpr std::string_view kLibraryFileName = "impborl.dll";
inline constexpr std::string_view kFlashInstallerFileName = "flashax.exe";
inline constexpr std::string_view kUninstallerFileName = "uninstall.exe";
inline constexpr std::string_view kPageSuffix = ".html";
inline constexpr std::string_view kFolderSuffix = " dir";

// The names the package tool gives the slots a manifest leaves unnamed, beside the shipped
// names above: the library stored as "impborl.dat" (written as kLibraryFileName), the preview
// as "installer" with its file's extension, the data file as "<name>.ssd".
inline constexpr std::string_view kStoredLibraryName = "impborl.dat";
inline constexpr std::string_view kPreviewBaseName = "installer";
inline constexpr std::string_view kDataFileSuffix = ".ssd";

inline std::string wallpaperPageName(std::string_view wallpaperName) {
    return std::string(wallpaperName).append(kPageSuffix);
}
// With its final "\".
inline std::string wallpaperFolderName(std::string_view wallpaperName) {
    return std::string(wallpaperName).append(kFolderSuffix).append("\\");
}

// That folder under windowsFolder (which ends in "\\"). Inline: the uninstaller needs it and
// nothing else of the package header's code.
inline std::string wallpaperRootFolder(std::string_view windowsFolder) {
    return std::string(windowsFolder).append(kWallpaperRoot);
}

struct PackageEntry {
    std::array<char, 256> nameField{};  // length byte, then the characters
    int32_t startOffset = 0;
    int32_t endOffset = 0;
    int32_t destination = 0;
    uint8_t compressed = 0;
    std::array<uint8_t, 3> reserved{};
    int32_t storedSize = 0;
    int32_t size = 0;

    // The first `length` characters; stale bytes after them are ignored.
    std::string_view name() const noexcept;
    bool empty() const noexcept { return nameField[0] == 0; }
    bool isCompressed() const noexcept { return compressed != 0; }

    // Sets the name and zeroes the bytes after it. False (and nothing changed)
    // for a name longer than 255 characters.
    bool setName(std::string_view text) noexcept;

    // endOffset - startOffset + 1, computed without overflow; may be 0 or less
    // in a malformed header.
    int64_t storedLength() const noexcept { return int64_t(endOffset) - startOffset + 1; }

    bool operator==(const PackageEntry&) const = default;
};

struct PackageHeader {
    uint8_t kind = 0;
    uint8_t showLicense = 0;
    uint8_t openAfterInstall = 0;
    std::array<uint8_t, 5> reserved3{};
    std::array<uint8_t, 8> reserved8{};  // the integrity record (integrity.h)
    int32_t backgroundRed = 0;
    int32_t backgroundGreen = 0;
    int32_t backgroundBlue = 0;
    uint8_t reserved28 = 0;
    uint8_t offerDisplayProperties = 0;
    std::array<char, kWallpaperNameWidth> wallpaperNameField{};
    std::array<uint8_t, 2> reserved94{};
    std::array<PackageEntry, kSlotCount> entries{};

    // Slots 0 to 10; any other index is a programming error (asserted).
    PackageEntry& slot(int index) noexcept;
    const PackageEntry& slot(int index) const noexcept;

    // The characters up to the first NUL, at most 64.
    std::string wallpaperName() const;

    // Sets the name, NUL-padded. False (and nothing changed) above 64 characters.
    bool setWallpaperName(std::string_view text) noexcept;

    bool operator==(const PackageHeader&) const = default;
};

using PackageHeaderBytes = std::array<uint8_t, kPackageHeaderSize>;

PackageHeader decodePackageHeader(std::span<const uint8_t, kPackageHeaderSize> bytes) noexcept;
PackageHeaderBytes encodePackageHeader(const PackageHeader& header) noexcept;

// Reads the 3176 header bytes at `packageOffset` of the source. Returns 0;
// kShortHeader (-31) when fewer bytes arrive; or the source's operating-system
// code when the read itself fails. `header` is changed only on success.
ErrorCode readPackageHeader(ByteSource& source, uint32_t packageOffset,
                            PackageHeader& header) noexcept;

// `name` with its extension (the text from its last ".") replaced by
// `extension`, or `extension` appended when it has none.
std::string replaceExtension(std::string_view name, std::string_view extension);

// Where the installer writes an entry:
//   1, 4, 5, 6, 10  wallpaperFolder + name
//   2               windowsFolder + "Web\Wallpaper\" + name
//   3               windowsFolder + name when name is exactly "flashax.exe",
//                   otherwise windowsFolder + name with its extension replaced by ".dll"
//   anything else   no destination
// Both folders end with "\". A name that fails the file-name rule of
// package_rules.h, or a path too long for the file functions, has no
// destination either, so that no entry can be written outside its folder.
std::optional<std::string> destinationPath(const PackageEntry& entry,
                                           std::string_view windowsFolder,
                                           std::string_view wallpaperFolder);

}  // namespace velumar::package

#endif
