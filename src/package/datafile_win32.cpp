#include "package/datafile_win32.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "package/byte_source.h"
#include "package/datafile_expand.h"
#include "package/file_source_win32.h"
#include "package/package_rules.h"
#include "package/pk_stuff.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"

namespace velumar::package {

namespace {

void showReadingFailure(DataFileHost& host, ErrorCode code) {
    const std::string systemText = systemErrorText(code);
    host.showErrorDialog(readingFailedMessage(readingErrorText(code, systemText)));
}

// Shows a finding of the reader the way the installer reports it and returns its code.
ErrorCode reportFinding(DataFileHost& host, const std::string& path, const DataFileCheck& check) {
    const DataFileFailure failure = dataFileFailure(check);
    switch (failure.message) {
        case DataFileMessage::opening:
            host.showErrorDialog(openingFailedMessage(path, failure.code));
            break;
        case DataFileMessage::reading:
            showReadingFailure(host, failure.code);
            break;
        case DataFileMessage::recordName:
            // The name only as text: it is never used as a path.
            host.reportInstallError(failure.code, folderPart(path) + check.recordName);
            break;
        case DataFileMessage::none:
            break;
    }
    return failure.code;
}

}  // namespace

ErrorCode openCheckedDataFile(DataFileHost& host, const std::string& path,
                              std::string_view wallpaperName, FileHandle& file, DataFile& data) {
    FileHandle opened = openForReading(path);
    if (!opened) {
        const ErrorCode code = lastErrorCode();
        host.showErrorDialog(openingFailedMessage(path, code));
        return code;
    }
    Win32FileSource source(opened.get());
    DataFile read;
    DataFileCheck check = readDataFile(source, read);
    if (check.ok()) check = checkDataFileWallpaperName(read.header, wallpaperName);
    if (!check.ok()) return reportFinding(host, path, check);
    file = std::move(opened);
    data = std::move(read);
    return kOk;
}

// What one record's extraction holds, released on every way out.
struct DataFileExpander::RecordWork {
    std::string path;
    const BlockHeader* block = nullptr;
    int number = 0;
    FileHandle output;
    bool outputCreated = false;
    bool ioFailure = false;  // the code came from the system: the reading message is shown
};

DataFileExpander::DataFileExpander(std::string wallpaperName, std::string compressionFolder)
    : wallpaperName_(std::move(wallpaperName)), compressionFolder_(std::move(compressionFolder)) {}

ErrorCode DataFileExpander::expandDataFile(DataFileHost& host, const std::string& dataFilePath,
                                           const std::string& wallpaperFolder) {
    host.setStatusText(texts::kExpandingFiles);
    ErrorCode result = openDataFile(host, dataFilePath);
    std::string firstName;
    if (result == kOk && data_.recordCount() >= 1) firstName = data_.record(1).name();
    for (int number = 1; result == kOk && number <= data_.recordCount(); ++number) {
        if (data_.record(number).name().empty()) continue;
        // A movie package's record 1 is the preview that start-up already wrote.
        if (data_.isCopyRecord(number)) {
            result = copyRecord(host, wallpaperFolder, number, firstName);
        } else {
            result = extractDataRecord(host, wallpaperFolder, number);
        }
    }
    if (result == kOk) {
        result = closeDataFile(host);
        host.stepProgress();
    }
    markFirstFileArchived(wallpaperFolder, firstName);
    return result;
}

ErrorCode DataFileExpander::copyRecord(DataFileHost& host, const std::string& folder, int number,
                                       const std::string& firstName) {
    const std::string sourceName = number == 1 ? std::string(texts::kMovieSource) : firstName;
    // After an empty record 1 the source is the folder itself, which cannot be copied.
    const std::optional<std::string> source = joinInside(folder, sourceName);
    if (!source) {
        host.reportInstallError(kCopyRecordFailed, folder + sourceName);
        return kCopyRecordFailed;
    }
    const std::string name = data_.record(number).name();
    const std::optional<std::string> destination = joinInside(folder, name);
    if (!destination) {
        host.reportInstallError(kRecordNameUnsafe, folder + name);
        return kRecordNameUnsafe;
    }
    if (::CopyFileA(source->c_str(), destination->c_str(), FALSE)) return kOk;
    // Copying a file onto itself fails and changes nothing: the file is already there.
    if (*source == *destination) return kOk;
    host.reportInstallError(kCopyRecordFailed, *source);
    return kCopyRecordFailed;
}

void DataFileExpander::markFirstFileArchived(const std::string& folder,
                                             const std::string& firstName) {
    const std::optional<std::string> path = joinInside(folder, firstName);
    if (!path) return;
    const DWORD attributes = ::GetFileAttributesA(path->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    ::SetFileAttributesA(path->c_str(), attributes | FILE_ATTRIBUTE_ARCHIVE);
}

ErrorCode DataFileExpander::openDataFile(DataFileHost& host, const std::string& path) {
    if (open_) {
        host.showInformationDialog(alreadyInUseMessage());
        return kOk;
    }
    FileHandle file;
    DataFile data;
    const ErrorCode code = openCheckedDataFile(host, path, wallpaperName_, file, data);
    if (code != kOk) return code;
    file_ = std::move(file);
    data_ = std::move(data);
    open_ = true;
    return kOk;
}

ErrorCode DataFileExpander::extractDataRecord(DataFileHost& host, const std::string& folder,
                                              int number) {
    if (number > data_.recordCount() || number < 1) return kRecordBeyondCount;
    if (!open_) return kDataFileNotOpen;

    RecordWork work;
    work.number = number;
    work.block = data_.block(number);
    const std::string name = data_.record(number).name();
    const std::optional<std::string> path = joinInside(folder, name);
    if (!path || work.block == nullptr) {
        host.reportInstallError(kRecordNameUnsafe, folder + name);
        return kRecordNameUnsafe;
    }
    work.path = *path;

    const ErrorCode result = writeRecordFile(work);
    if (work.ioFailure) showReadingFailure(host, result);
    if (result != kOk) {
        work.output.reset();
        if (work.outputCreated) ::DeleteFileA(work.path.c_str());
    }
    return result;
}

ErrorCode DataFileExpander::writeRecordFile(RecordWork& work) {
    if (work.block->size() == 0) return kOk;
    const std::string folder = folderPart(work.path);
    if (!folder.empty() && !folderExists(folder)) forceFolder(folder);

    std::vector<uint8_t> stored;
    Win32FileSource source(file_.get());
    const DataFileCheck read = readRecordStoredBytes(source, data_, work.number, stored);
    if (!read.ok()) {
        const DataFileFailure failure = dataFileFailure(read);
        work.ioFailure = failure.message == DataFileMessage::reading;
        return failure.code;
    }
    return work.block->compressed() ? expandCompressed(work, stored) : writeStored(work, stored);
}

ErrorCode DataFileExpander::expandCompressed(RecordWork& work, const std::vector<uint8_t>& stored) {
    TCompressor compressor =
        compressionFolder_.empty() ? TCompressor() : TCompressor(compressionFolder_);
    if (!compressor.compressionAvailable()) return kNoCompression;
    const ErrorCode expanded = compressor.expandToFile(
        work.path, stored.data(), static_cast<int32_t>(stored.size()), work.block->size());
    work.outputCreated = compressor.outputCreated();
    // An output cut short by a failed write is that write's failure, not a length error.
    if (const ErrorCode written = compressor.outputWriteError(); written != kOk) {
        work.ioFailure = true;
        return written;
    }
    if (expanded == kExpandedLengthWrong) return kExpandedLengthWrong;

    WIN32_FIND_DATAA found{};
    const FindHandle lookup(::FindFirstFileA(work.path.c_str(), &found));
    if (!lookup) return kExpandedFileMissing;
    const uint64_t length = (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return length == uint64_t(work.block->size()) ? kOk : kExpandedLengthWrong;
}

ErrorCode DataFileExpander::writeStored(RecordWork& work, const std::vector<uint8_t>& stored) {
    work.output = createForWriting(work.path);
    if (!work.output) {
        work.ioFailure = true;
        return lastErrorCode();
    }
    work.outputCreated = true;
    // A short write is the system's code for the write that failed (a full disk says so).
    if (const ErrorCode code = writeWhole(work.output.get(), stored.data(), stored.size());
        code != kOk) {
        work.ioFailure = true;
        return code;
    }
    if (!::CloseHandle(work.output.release())) {
        work.ioFailure = true;
        return lastErrorCode();
    }
    return kOk;
}

ErrorCode DataFileExpander::closeDataFile(DataFileHost& host) {
    if (!open_) return kOk;
    // The handle is given up before closing: a failed CloseHandle has still ended it, and the
    // owner must not close it a second time.
    open_ = false;
    if (!::CloseHandle(file_.release())) {
        const ErrorCode code = lastErrorCode();
        host.showErrorDialog(closingFailedMessage(systemErrorText(code)));
        return code;
    }
    return kOk;
}

}  // namespace velumar::package
