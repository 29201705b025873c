// The package manifest: an INI file that describes an installer to build.
// Paths in it are relative to the manifest's folder.
//
//   [package]
//   kind = movie                 ; picture (1), movie (2), silent (4), jpeg (8) or 0 to 255
//   wallpaperName = Aurora       ; 1 to 64 characters, a valid folder name
//   showLicense = yes            ; default: yes when [slot4] names a file
//   openAfterInstall = no        ; default: yes when [slot5] names a file
//   offerDisplayProperties = no  ; default: no
//   background = 0, 32, 64       ; red, green, blue, 0 to 255 each; default 0, 0, 0
//   stub = install.exe           ; default: project:install.exe
//   literalMode = binary         ; binary or ascii, for every compressed item
//   dictionarySize = 4096        ; 1024, 2048 or 4096
//   codePage = 1252              ; the users' code page: 874 or 1250 to 1258
//
//   [slot0] .. [slot10]          ; file, name, destination (0 to 10), compressed (yes/no)
//   [data]                       ; folder (every file under it), kind, compressed
//   [record1] .. [record109]     ; name, file, copy (yes/no), compressed
//
// Each slot has the shipped package's defaults (name, destination), so a
// short manifest names only the files. Slot 0 is the stub itself; slot 8 is
// built from [data] and the [recordN] sections unless [slot8] names a file.
// A file given as "project:NAME" is one of the project's own Windows programs,
// found as runtime.h describes.
//
// The manifest is UTF-8. Every name it gives (the wallpaper name, slot and
// record names, record names taken from file names) is held here already in
// the package's code page, the form the installer reads, and the name rules
// are applied to that form. [slot4] also takes convert = yes|no: whether the
// licence text is converted to the code page (see builder.h).
#ifndef VELPACK_MANIFEST_H
#define VELPACK_MANIFEST_H

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "codec.h"
#include "package/package_header.h"

namespace velpack {

namespace fs = std::filesystem;

// A file named by the manifest: a path (relative ones already joined to the
// manifest's folder), or a project program looked up by name.
struct FileRef {
    fs::path path;
    std::string projectName;  // non-empty for "project:NAME"

    std::string describe() const {
        return projectName.empty() ? path.string() : "project:" + projectName;
    }
};

inline constexpr std::string_view kProjectPrefix = "project:";

struct SlotDescription {
    bool given = false;  // the manifest has a [slotN] section
    int line = 0;
    std::optional<FileRef> file;
    int fileLine = 0;
    std::optional<std::string> name;
    int nameLine = 0;
    std::optional<int32_t> destination;
    int destinationLine = 0;
    std::optional<bool> compressed;
    int compressedLine = 0;
    std::optional<bool> convert;  // [slot4] only
    int convertLine = 0;
};

struct RecordDescription {
    int number = 0;  // N of [recordN]; records are ordered by it
    int line = 0;
    std::string name;  // "\" between folders
    int nameLine = 0;  // 0: the name is the file's own
    std::optional<FileRef> file;
    bool copy = false;
    std::optional<bool> compressed;
};

struct DataDescription {
    bool given = false;
    int line = 0;
    std::optional<fs::path> folder;
    std::optional<int32_t> kind;  // default: the package kind
    bool compressed = false;      // default for the records
};

struct Manifest {
    fs::path path;
    fs::path folder;  // paths in the manifest are relative to it
    int packageLine = 0;
    uint8_t kind = 0;
    std::string wallpaperName;
    int wallpaperNameLine = 0;
    CodePage codePage;
    std::optional<bool> showLicense;
    std::optional<bool> openAfterInstall;
    bool offerDisplayProperties = false;
    std::array<int32_t, 3> background = {0, 0, 0};
    std::optional<FileRef> stub;
    CompressionSettings compression;
    std::array<SlotDescription, velumar::package::kSlotCount> slots;
    DataDescription data;
    std::vector<RecordDescription> records;

    // "manifest.ini:12: " for messages about a line, "manifest.ini: " without one.
    std::string where(int line) const;
};

struct ManifestLoad {
    std::optional<Manifest> manifest;
    std::vector<std::string> errors;  // each names the file and, where known, the line
};

ManifestLoad loadManifest(const fs::path& path);
ManifestLoad parseManifest(std::string_view text, const fs::path& path);

// Name of an installer kind for listings: "picture", "movie", ... or "".
std::string_view kindName(uint8_t kind) noexcept;

// The role of a slot, for messages: "Flash player installer", ...
std::string_view slotRole(int slot) noexcept;

}  // namespace velpack

#endif
