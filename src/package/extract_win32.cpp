#include "package/extract_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
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

// The package's bytes of a file the run checks: stored bytes as they are, imploded ones
// expanded in memory to exactly the entry's size.
Outcome packageBytesOf(const PackageEntry& entry, ByteSource& source, std::vector<uint8_t>& bytes) {
    if (!entry.isCompressed()) return readStoredBytes(source, entry, bytes);
    TCompressor compressor;
    if (!compressor.compressionAvailable()) return {kNoCompression};
    std::vector<uint8_t> stored;
    if (Outcome read = readStoredBytes(source, entry, stored); read.code != kOk) return read;
    const ErrorCode expanded = compressor.expandToMemory(
        stored.data(), static_cast<int32_t>(stored.size()), entry.size, bytes);
    // The binding has shown its own failures to stage the bytes; a lost output is ours to show.
    if (const ErrorCode failed = compressor.outputWriteError(); failed != kOk)
        return ioFailure(failed);
    if (expanded == kExpandedLengthWrong) return {kExpandedLengthWrong};
    if (expanded != kOk) return {expanded, false, true};
    if (entry.size < 0 || bytes.size() != uint64_t(uint32_t(entry.size)))
        return {kExpandedLengthWrong};
    return {};
}

// True when the held file holds exactly bytes.
bool holdsExactly(HANDLE file, const std::vector<uint8_t>& bytes) {
    DWORD high = 0;
    if (::GetFileSize(file, &high) != bytes.size() || high != 0) return false;
    uint8_t block[4096];
    for (size_t at = 0; at < bytes.size();) {
        const DWORD wanted = static_cast<DWORD>(std::min(sizeof block, bytes.size() - at));
        DWORD read = 0;
        if (!::ReadFile(file, block, wanted, &read, nullptr) || read != wanted ||
            std::memcmp(block, bytes.data() + at, wanted) != 0) {
            return false;
        }
        at += wanted;
    }
    return true;
}

// The file at path, held and holding exactly bytes; empty when it cannot be opened for reading
// or holds anything else.
FileHandle holdIfItHolds(const std::string& path, const std::vector<uint8_t>& bytes) {
    FileHandle file = openForReading(path);
    if (file && !holdsExactly(file.get(), bytes)) file.reset();
    return file;
}

Outcome writeCheckedEntry(const ExtractionTarget& target, ByteSource& source, int slot,
                          const std::string& path, FileHandle& held) {
    const PackageEntry& entry = target.header.slot(slot);
    uint64_t fileSize = 0;
    if (const int32_t code = source.size(fileSize); code != 0) return ioFailure(code);
    if (const ErrorCode code = checkStoredRange(entry, fileSize); code != kOk) return {code};
    std::vector<uint8_t> bytes;
    if (Outcome made = packageBytesOf(entry, source, bytes); made.code != kOk) return made;

    // Cleared without the busy message: a busy file that is already the package's is fine.
    ErrorCode cleared = deleteFileWithRetry(path, false, kDeleteAttempts);
    if (cleared == kFileBusy || cleared == kWallpaperBusy) {
        held = holdIfItHolds(path, bytes);
        return {held ? kOk : cleared};
    }
    if (cleared != kOk) return {cleared};
    if (Outcome written = writePlainFile(path, bytes); written.code != kOk) return written;
    // Between the write and this, another program may have put a file of its own there.
    held = holdIfItHolds(path, bytes);
    return {held ? kOk : kFileBusy};
}

}  // namespace

namespace {

// Both ways of writing a slot; checked is set for a file the run will load or start.
ErrorCode extractSlot(const ExtractionTarget& target, ByteSource& packageCopy, int slot,
                      bool showProgress, CheckedFile* checked) {
    if (showProgress && target.progress) target.progress->setStatusText(texts::kWritingFiles);
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
    FileHandle held;
    try {
        outcome = checked ? writeCheckedEntry(target, packageCopy, slot, *path, held)
                          : writeEntry(target, packageCopy, slot, showProgress, *path);
    } catch (const std::exception&) {
        outcome = {kNoMemory};
    }
    if (outcome.code == kOk) {
        if (checked) *checked = CheckedFile{*path, std::move(held)};
        return kOk;
    }
    // A busy destination stays as it is and counts as written: a busy library silently, any
    // other file after the busy message the deletion has shown. Not so for a file the run will
    // load or start: one that is not the package's is reported here and is never used.
    if (!checked && outcome.code == kFileBusy && !outcome.ioFailure) return kOk;
    if (outcome.ioFailure || !outcome.reported) reportInstallError(outcome.code, *path);
    return outcome.code;
}

}  // namespace

ErrorCode extractEntry(const ExtractionTarget& target, ByteSource& packageCopy, int slot,
                       bool showProgress) {
    return extractSlot(target, packageCopy, slot, showProgress, nullptr);
}

ErrorCode extractCheckedEntry(const ExtractionTarget& target, ByteSource& packageCopy, int slot,
                              CheckedFile& checked) {
    checked = CheckedFile{};
    return extractSlot(target, packageCopy, slot, false, &checked);
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
