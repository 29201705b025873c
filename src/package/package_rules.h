// The rules a package must keep, in one place for the installer and the package tool: which
// names may reach the file system, how paths are made from them, how the preview is renamed
// and which slots a package's kind and flags make the installer write.
//
// Names. Every path the installer writes, opens, starts or deletes is a folder it chose joined
// with a name from the package (a slot name, a data record name, the wallpaper name). One rule
// decides whether such a name stays inside that folder and names an ordinary file there:
//   - not empty and at most 255 characters;
//   - no "\", "/" or ":" (no sub-folder, root, drive or stream), no control character;
//   - none of the characters Windows refuses in names: < > " | and the wildcards * and ?
//     (a wildcard would make a look-up after writing find some other file);
//   - not made of dots alone ("." and "..", and "..." which Windows 95 and 98 read as the
//     grandparent folder);
//   - no final dot or blank: Windows drops them, so "a." and "a " would name the file "a";
//   - not a device: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in any letter case, also
//     with an extension or with blanks before it ("nul.txt", "CON .log" are devices too).
// A relative path (a data record may name sub-folders) is such names joined by "\" (a "/"
// counts as a separator as it does for Windows). The wallpaper name is a file name of at most
// 64 characters: it names the folder "<name> dir", the page "<name>.html" and the uninstall
// entry.
#ifndef VELUMAR_PACKAGE_PACKAGE_RULES_H
#define VELUMAR_PACKAGE_PACKAGE_RULES_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velumar::package {

struct PackageHeader;

inline constexpr size_t kFileNameMax = 255;
inline constexpr size_t kWallpaperNameMax = 64;
// The ANSI file functions take paths of at most MAX_PATH (260) characters with the NUL.
inline constexpr size_t kPathMax = 259;

bool isValidFileName(std::string_view name) noexcept;
bool isValidRelativePath(std::string_view path) noexcept;
bool isValidWallpaperName(std::string_view name) noexcept;

// folder (ending in "\") + name, when name is a valid relative path and the whole path fits
// the file functions; nothing otherwise. Every path made from package data is made here.
std::optional<std::string> joinInside(std::string_view folder, std::string_view name);

// The extension slot 3 gets for the picture kinds: ".BMP" for 1, ".jpg" for 8, none otherwise.
std::string_view previewExtension(uint8_t kind) noexcept;
bool isPictureKind(uint8_t kind) noexcept;
bool isMovieKind(uint8_t kind) noexcept;

// The name under which slot 3 is written for a kind: renamed for the picture kinds (cut to the
// 255 characters a slot name holds), as it is otherwise.
std::string previewName(uint8_t kind, std::string_view name);

// Start-up renames the preview in the header record, so every later use sees the new name.
void renamePreview(PackageHeader& header);

// Slots start-up writes: 1 and 2 always, 3 for window kinds, 4 for window kinds showing a
// licence, 5 when it is opened after installing.
bool startupWrites(const PackageHeader& header, int slot) noexcept;

// The slots the install step writes, in order: 5 (when openAfterInstall is set) or 6, up to
// 10 (when slot 10 is named) or 9; never 7.
std::vector<int> installEntrySlots(const PackageHeader& header);

// A slot that start-up or the install step writes.
bool slotIsWritten(const PackageHeader& header, int slot) noexcept;

// A slot whose emptiness fails the run: every written slot but the optional slot 10.
bool slotIsRequired(const PackageHeader& header, int slot) noexcept;

}  // namespace velumar::package

#endif
