// Rules for the names a package carries: slot names, data record names and the
// wallpaper name.
//
// The installer builds every path it writes by appending such a name to a
// folder, so a name that is absolute, carries a drive or stream colon, or
// climbs with a dot-only component would place a file outside that folder.
// The "safe" rules refuse exactly those; the readers and the destination rule
// use them. The "portable" rules are stricter (characters Windows refuses,
// device names, trailing dots and blanks): the package tool applies them to
// what it builds.
//
// Dot-only components are refused whole, not only "..": Windows 95 and 98
// read "..." as the grandparent folder.
#ifndef VELUMAR_PACKAGE_SAFE_NAMES_H
#define VELUMAR_PACKAGE_SAFE_NAMES_H

#include <string_view>

namespace velumar::package {

// One file name without a folder: not empty, no "\", "/" or ":", no control
// character, not made of dots alone.
bool isSafeFileName(std::string_view name) noexcept;

// A path relative to a folder, components separated by "\" (a "/" counts as a
// separator too, as it does for Windows): every component is a safe file name,
// so the path has no leading separator, no drive, no empty or dot-only part.
bool isSafeRelativePath(std::string_view path) noexcept;

// A safe file name that Windows also accepts as it is: none of <>"|?*, no
// trailing dot or blank (Windows drops them), not a device name such as CON or
// LPT1 (with or without an extension).
bool isPortableFileName(std::string_view name) noexcept;

// A relative path whose every component is a portable file name.
bool isPortableRelativePath(std::string_view path) noexcept;

// The wallpaper name names a folder ("<name> dir") and a page ("<name>.html"):
// 1 to 64 characters and a portable file name.
bool isValidWallpaperName(std::string_view name) noexcept;

}  // namespace velumar::package

#endif
