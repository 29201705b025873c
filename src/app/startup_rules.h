// The start-up sequence's portable rules: its own error codes, the start-up failure text, the
// wallpaper name check, the paths built from the header, and the preview and licence rules.
#ifndef VELUMAR_APP_STARTUP_RULES_H
#define VELUMAR_APP_STARTUP_RULES_H

#include <cstdint>
#include <string>
#include <string_view>

#include "desktop/flash_player.h"
#include "package/error_codes.h"

namespace velumar::app {

using package::ErrorCode;

// Codes of start-up's own steps (the extraction codes are in package/error_codes.h):
//   -402  the Flash control cannot be created although no update was needed
//   -540  the wallpaper name would leave "Web\Wallpaper\": it has "\", "/", ":", "..", a
//         control character, or is empty or made of blanks and dots only. Refused right after
//         the header is read, before anything is written or created.
//   409   the user cancelled the Flash player step: start-up ends without any message
inline constexpr ErrorCode kFlashControlUnusable = desktop::kFlashControlUnusable;
inline constexpr ErrorCode kUnsafeWallpaperName = -540;
inline constexpr ErrorCode kFlashStepCancelled = desktop::kFlashStepCancelled;

// "Installer file is corrupted. Corvana Error: " + code + ". "
std::string startupFailureText(ErrorCode code);

// False for a name that could place the wallpaper folder or page outside "Web\Wallpaper\", or
// name a folder whose clean-up would delete something else.
bool isAcceptableWallpaperName(std::string_view name) noexcept;

// windowsFolder + "Web\Wallpaper\" + name + " dir\"
std::string wallpaperFolderPath(std::string_view windowsFolder, std::string_view name);

// The extension slot 3 gets for the picture kinds: ".BMP" for 1, ".jpg" for 8, none otherwise.
std::string_view previewExtension(uint8_t kind) noexcept;
bool isPictureKind(uint8_t kind) noexcept;
bool isMovieKind(uint8_t kind) noexcept;

enum class PictureFormat { bitmap, jpeg, unknown };
// By the file's extension, ignoring case.
PictureFormat pictureFormatOf(std::string_view path) noexcept;

// A text file's lines joined with CR LF, whether they ended in CR LF, LF or CR.
std::string licenseText(std::string_view fileBytes);

}  // namespace velumar::app

#endif
