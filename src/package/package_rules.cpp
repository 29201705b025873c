#include "package/package_rules.h"

#include <algorithm>
#include <array>

#include "package/package_header.h"

namespace velumar::package {

std::string_view previewExtension(uint8_t kind) noexcept {
    if (kind == uint8_t(InstallerKind::picture)) return ".BMP";
    if (kind == uint8_t(InstallerKind::jpegPicture)) return ".jpg";
    return {};
}

bool isPictureKind(uint8_t kind) noexcept {
    return !previewExtension(kind).empty();
}

bool isMovieKind(uint8_t kind) noexcept {
    return kind == uint8_t(InstallerKind::movie) || kind == uint8_t(InstallerKind::movieAlike);
}

std::string previewName(uint8_t kind, std::string_view name) {
    const std::string_view extension = previewExtension(kind);
    if (extension.empty() || name.empty()) return std::string(name);
    std::string renamed = replaceExtension(name, extension);
    if (renamed.size() > kEntryNameCapacity) renamed.resize(kEntryNameCapacity);
    return renamed;
}

void renamePreview(PackageHeader& header) {
    PackageEntry& preview = header.slot(slots::preview);
    preview.setName(previewName(header.kind, preview.name()));
}

bool startupWrites(const PackageHeader& header, int slot) noexcept {
    switch (slot) {
        case slots::compressionLibrary:
        case slots::flashInstaller:
            return true;
        case slots::preview:
            return showsWindow(header.kind);
        case slots::license:
            return header.showLicense != 0 && showsWindow(header.kind);
        case slots::openAfterInstall:
            return header.openAfterInstall != 0;
        default:
            return false;
    }
}

std::vector<int> installEntrySlots(const PackageHeader& header) {
    const int first = header.openAfterInstall ? slots::openAfterInstall : slots::wallpaperPage;
    const int last = header.slot(slots::extra).empty() ? slots::uninstaller : slots::extra;
    std::vector<int> order;
    for (int slot = first; slot <= last; ++slot) {
        if (slot != slots::unused) order.push_back(slot);
    }
    return order;
}

bool slotIsWritten(const PackageHeader& header, int slot) noexcept {
    if (startupWrites(header, slot)) return true;
    if (slot == slots::extra) return !header.slot(slot).empty();
    return slot >= slots::wallpaperPage && slot != slots::unused && slot <= slots::uninstaller;
}

bool slotIsRequired(const PackageHeader& header, int slot) noexcept {
    return slot != slots::extra && slotIsWritten(header, slot);
}

}  // namespace velumar::package
