#include "app/startup_rules.h"

#include "app/app_texts.h"
#include "package/package_header.h"

namespace velumar::app {

std::string startupFailureText(ErrorCode code) {
    std::string text(texts::kInstallerCorrupted);
    text.append(texts::kCorvanaError).append(std::to_string(code)).append(texts::kCorruptedEnd);
    return text;
}

bool isAcceptableWallpaperName(std::string_view name) noexcept {
    if (name.find("..") != std::string_view::npos) return false;
    bool onlyBlanksAndDots = true;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\' || c == '/' || c == ':') return false;
        if (c != ' ' && c != '.') onlyBlanksAndDots = false;
    }
    return !onlyBlanksAndDots;
}

std::string wallpaperFolderPath(std::string_view windowsFolder, std::string_view name) {
    std::string folder(windowsFolder);
    folder.append(texts::kWallpaperRoot).append(name).append(texts::kWallpaperFolderSuffix);
    return folder;
}

std::string_view previewExtension(uint8_t kind) noexcept {
    if (kind == uint8_t(package::InstallerKind::picture)) return ".BMP";
    if (kind == uint8_t(package::InstallerKind::jpegPicture)) return ".jpg";
    return {};
}

bool isPictureKind(uint8_t kind) noexcept {
    return !previewExtension(kind).empty();
}

bool isMovieKind(uint8_t kind) noexcept {
    return kind == uint8_t(package::InstallerKind::movie) ||
           kind == uint8_t(package::InstallerKind::movieAlike);
}

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view end) noexcept {
    if (text.size() < end.size()) return false;
    text.remove_prefix(text.size() - end.size());
    for (size_t i = 0; i < end.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != end[i]) return false;
    }
    return true;
}

}  // namespace

PictureFormat pictureFormatOf(std::string_view path) noexcept {
    if (endsWithIgnoringCase(path, ".bmp")) return PictureFormat::bitmap;
    if (endsWithIgnoringCase(path, ".jpg")) return PictureFormat::jpeg;
    return PictureFormat::unknown;
}

std::string licenseText(std::string_view fileBytes) {
    std::string text;
    text.reserve(fileBytes.size() + fileBytes.size() / 16);
    for (size_t i = 0; i < fileBytes.size(); ++i) {
        const char c = fileBytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n') ++i;
            text += "\r\n";
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace velumar::app
