#include "package/extract_win32.h"

#include <windows.h>

#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "package/extract.h"
#include "package/package_texts.h"
#include "package/pk_stuff.h"
#include "util/dialogs_win32.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"

namespace velumar::package {
namespace {

// An attempt at one step failed with a code the caller must act on; kOk means go on.
struct Outcome {
    ErrorCode code = kOk;
    bool ioFailure = false;  // an operating-system code: reported at once with the destination
    bool reported = false;   // the deletion has shown its own message already
};

Outcome ioFailure(ErrorCode code) {
    return {code, true, false};
}

Outcome clearDestination(const std::string& path) {
    if (isLibraryDestination(path)) return {deleteFileQuiet(path), false, false};
    const ErrorCode code = deleteFileWithRetry(path, true, kDeleteAttempts);
    return {code, false, code != kOk};
}

// The whole stored range in one buffer, or the reason it could not be had.
Outcome readStoredBytes(ByteSource& source, const PackageEntry& entry, std::vector<uint8_t>& out) {
    try {
        out.resize(static_cast<size_t>(entry.storedLength()));
    } catch (const std::bad_alloc&) {
        return {kNoMemory};
    } catch (const std::length_error&) {
        return {kNoMemory};
    }
    const ReadOutcome read = readExactly(source, uint32_t(entry.startOffset), out);
    if (read.systemCode != 0) return ioFailure(read.systemCode);
    if (!read.complete) return {kShortEntry};
    return {};
}

Outcome writePlainFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FileHandle file = createForWriting(path);
    if (!file) return ioFailure(lastErrorCode());
    // A short write is the system's code for the write that failed (a full disk says so),
    // not the program's -30, which has no text for the user.
    if (const ErrorCode code = writeWhole(file.get(), bytes.data(), bytes.size()); code != kOk)
        return ioFailure(code);
    return {};
}

// The length of the file at path, looked up in its folder with any attribute.
std::optional<uint64_t> lengthOfFile(const std::string& path) {
    WIN32_FIND_DATAA found;
    FindHandle search(::FindFirstFileA(path.c_str(), &found));
    if (!search) return std::nullopt;
    return (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

Outcome writeExpandedFile(const std::string& path, const PackageEntry& entry, ByteSource& source,
                          std::vector<uint8_t>& buffer) {
    TCompressor compressor;
    if (!compressor.compressionAvailable()) return {kNoCompression};
    if (Outcome read = readStoredBytes(source, entry, buffer); read.code != kOk) return read;
    // Its own failures have been shown by the binding; the length check below tells the rest.
    // An expansion that would pass the entry's size stops there and is a length error at once.
    const ErrorCode expanded = compressor.expandToFile(
        path, buffer.data(), static_cast<int32_t>(buffer.size()), entry.size);
    // An output cut short by a failed write is that write's failure, not a length error.
    if (const ErrorCode written = compressor.outputWriteError(); written != kOk)
        return ioFailure(written);
    if (expanded == kExpandedLengthWrong) return {kExpandedLengthWrong};
    const std::optional<uint64_t> length = lengthOfFile(path);
    if (!length) return {kExpandedFileMissing};
    if (*length != uint64_t(uint32_t(entry.size)) || entry.size < 0) return {kExpandedLengthWrong};
    return {};
}

Outcome writeEntry(const ExtractionTarget& target, ByteSource& source, int slot, bool showProgress,
                   const std::string& path) {
    const PackageEntry& entry = target.header.slot(slot);
    uint64_t fileSize = 0;
    if (const int32_t code = source.size(fileSize); code != 0) return ioFailure(code);
    if (const ErrorCode code = checkStoredRange(entry, fileSize); code != kOk) return {code};

    if (showProgress && target.progress) target.progress->stepProgress();
    if (Outcome cleared = clearDestination(path); cleared.code != kOk) return cleared;

    std::vector<uint8_t> buffer;
    if (entry.isCompressed()) return writeExpandedFile(path, entry, source, buffer);
    if (Outcome read = readStoredBytes(source, entry, buffer); read.code != kOk) return read;
    return writePlainFile(path, buffer);
}

}  // namespace

ErrorCode extractEntry(const ExtractionTarget& target, ByteSource& packageCopy, int slot,
                       bool showProgress) {
    if (showProgress && target.progress)
        target.progress->setStatusText(texts::kWritingFiles);
    const PackageEntry& entry = target.header.slot(slot);
    if (entry.empty()) {
        reportInstallError(kEmptySlot, "");
        return kEmptySlot;
    }
    const std::optional<std::string> path =
        destinationPath(entry, target.windowsFolder, target.wallpaperFolder);
    if (!path) {
        reportInstallError(ERROR_INVALID_NAME, std::string(entry.name()));
        return ERROR_INVALID_NAME;
    }

    Outcome outcome;
    try {
        outcome = writeEntry(target, packageCopy, slot, showProgress, *path);
    } catch (const std::exception&) {
        outcome = {kNoMemory};
    }
    if (outcome.code == kOk) return kOk;
    if (outcome.ioFailure) {
        reportInstallError(outcome.code, *path);
        return outcome.code;
    }
    // A busy destination stays as it is and counts as written: a busy library silently, any
    // other file after the busy message the deletion has shown.
    if (outcome.code == kFileBusy) return kOk;
    if (!outcome.reported && outcome.code != kWallpaperBusy)
        reportInstallError(outcome.code, *path);
    return outcome.code;
}

ErrorCode deleteFileWithRetry(const std::string& path, bool report, int attempts) {
    ErrorCode result = -1;
    for (; attempts > 0 && result != kOk; --attempts) {
        if (!fileExists(path) || ::DeleteFileA(path.c_str())) {
            result = kOk;
            continue;
        }
        // The second delete is tried whether or not the attributes could be cleared.
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (::DeleteFileA(path.c_str())) {
            result = kOk;
        } else {
            result = isScreenSaverDestination(path) ? kWallpaperBusy : kFileBusy;
        }
    }
    if (result != kOk && report) reportInstallError(result, path);
    return result;
}

void reportInstallError(ErrorCode code, const std::string& text) {
    showErrorDialog(installErrorMessage(code, text, systemErrorText(code)));
}

}  // namespace velumar::package
