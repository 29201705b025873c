#include "package/extract.h"
#include "util/ascii.h"

#include "package/package_texts.h"

namespace velumar::package {

std::string installErrorMessage(ErrorCode code, std::string_view text,
                                std::string_view systemText) {
    std::string message(texts::kInstallationError);
    switch (code) {
        case kPackageCopyFailed:
            message.append(text).append(systemText).append(texts::kParagraphBreak);
            message.append(texts::kRetryInstallation);
            break;
        case kWallpaperBusy:
            message.append(texts::kWallpaperBusy);
            break;
        case kFileBusy:
            message.append(texts::kFileBusy).append(text);
            break;
        case kForeignUninstallEntry:
            message.append(texts::kForeignEntry).append(text).append(texts::kForeignEntryEnd);
            break;
        default:
            message.append(systemText).append(texts::kParagraphBreak);
            message.append(texts::kProblemWithFile).append(text).append(texts::kProblemWithFileEnd);
            break;
    }
    return message;
}

namespace {

std::string_view extensionOf(std::string_view path) noexcept {
    const size_t dot = path.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : path.substr(dot);
}

}  // namespace

bool isLibraryDestination(std::string_view path) noexcept {
    return extensionOf(path) == ".dll";
}

bool isScreenSaverDestination(std::string_view path) noexcept {
    return equalsIgnoringAsciiCase(extensionOf(path), ".scr");
}

ErrorCode checkStoredRange(const PackageEntry& entry, uint64_t fileSize) noexcept {
    if (entry.startOffset < 0 || entry.endOffset < entry.startOffset) return kShortEntry;
    if (uint64_t(uint32_t(entry.endOffset)) >= fileSize) return kShortEntry;
    return kOk;
}

}  // namespace velumar::package
