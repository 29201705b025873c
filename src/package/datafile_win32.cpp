#include "package/datafile_win32.h"

#include <windows.h>

#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "package/byte_source.h"
#include "package/datafile_expand.h"
#include "package/file_source_win32.h"
#include "package/pk_stuff.h"
#include "package/safe_names.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"

namespace velumar::package {

namespace {

ErrorCode lastError() noexcept {
    const DWORD code = ::GetLastError();
    return code == 0 ? ErrorCode(ERROR_GEN_FAILURE) : static_cast<ErrorCode>(code);
}

// A read that delivers fewer bytes than asked is the run-time code 100.
ErrorCode fromOutcome(const ReadOutcome& outcome) noexcept {
    if (outcome.systemCode != 0) return outcome.systemCode;
    return outcome.complete ? kOk : kShortBlockRead;
}

ErrorCode readBlock(HANDLE file, uint64_t offset, std::span<uint8_t> out) noexcept {
    Win32FileSource source(file);
    return fromOutcome(readExactly(source, offset, out));
}

}  // namespace

// What one record's extraction holds, released on every way out.
struct DataFileExpander::RecordWork {
    HANDLE dataFile = INVALID_HANDLE_VALUE;
    std::string path;
    BlockHeader block;
    int64_t blockOffset = 0;
    FileHandle output;
    bool outputCreated = false;
    bool ioFailure = false;  // the code came from the system: the reading message is shown
};

DataFileExpander::DataFileExpander(std::string compressionFolder)
    : compressionFolder_(std::move(compressionFolder)) {}

ErrorCode DataFileExpander::expandDataFile(DataFileHost& host, const std::string& dataFilePath,
                                           const std::string& wallpaperFolder) {
    host.setStatusText(texts::kExpandingFiles);
    ErrorCode result = openDataFile(host, dataFilePath);
    std::string firstName;
    if (result == kOk) {
        // A movie package's record 1 is the preview that start-up already wrote.
        if (header_.dataKind() == kMovieDataKind) table_[1].setType(kCopyRecordType);
        firstName = table_[1].name();
    }
    const int32_t count = header_.recordCount();
    for (int number = 1; result == kOk && number <= count; ++number) {
        const DataRecord& record = table_[static_cast<size_t>(number)];
        if (record.name().empty()) continue;
        if (record.type() == kCopyRecordType) {
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
    const std::string name = table_[static_cast<size_t>(number)].name();
    const std::string sourceName =
        number == 1 ? std::string(texts::kMovieSource) : firstName;
    if (!isSafeRelativePath(name)) {
        host.reportInstallError(kRecordNameUnsafe, folder + name);
        return kRecordNameUnsafe;
    }
    if (!isSafeRelativePath(sourceName)) {
        host.reportInstallError(kRecordNameUnsafe, folder + sourceName);
        return kRecordNameUnsafe;
    }
    const std::string source = folder + sourceName;
    const std::string destination = folder + name;
    if (::CopyFileA(source.c_str(), destination.c_str(), FALSE)) return kOk;
    // Copying a file onto itself fails and changes nothing: the file is already there.
    if (source == destination) return kOk;
    host.reportInstallError(kCopyRecordFailed, source);
    return kCopyRecordFailed;
}

void DataFileExpander::markFirstFileArchived(const std::string& folder,
                                             const std::string& firstName) {
    if (firstName.empty() || !isSafeRelativePath(firstName)) return;
    const std::string path = folder + firstName;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    ::SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_ARCHIVE);
}

ErrorCode DataFileExpander::openDataFile(DataFileHost& host, const std::string& path) {
    if (open_) {
        host.showInformationDialog(alreadyInUseMessage());
        return kOk;
    }
    ErrorCode code = kOk;
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) code = lastError();
    DataFileHeader header;
    if (code == kOk) code = readBlock(file.get(), 0, header.bytes);
    // The table has room for 109 records: a count outside 0 to 109 is refused before a record
    // is read, and the file is not kept open.
    if (code == kOk && !recordCountAcceptable(header.recordCount())) {
        host.showErrorDialog(openingFailedMessage(path, kRecordCountOutOfRange));
        return kRecordCountOutOfRange;
    }
    if (code == kOk) {
        header_ = header;
        file_ = std::move(file);
        open_ = true;
        table_.fill(DataRecord{});
        for (int number = 1; code == kOk && number <= header_.recordCount(); ++number) {
            const uint64_t at = kDataFileHeaderSize + uint64_t(number - 1) * kDataRecordSize;
            code = readBlock(file_.get(), at, table_[static_cast<size_t>(number)].bytes);
        }
    }
    if (code != kOk) host.showErrorDialog(openingFailedMessage(path, code));
    return code;
}

ErrorCode DataFileExpander::extractDataRecord(DataFileHost& host, const std::string& folder,
                                              int number) {
    if (number > header_.recordCount() || number < 1) return kRecordBeyondCount;
    if (!open_) return kDataFileNotOpen;

    const DataRecord& record = table_[static_cast<size_t>(number)];
    RecordWork work;
    work.dataFile = file_.get();
    work.path = folder + record.name();
    if (!isSafeRelativePath(record.name())) {
        host.reportInstallError(kRecordNameUnsafe, work.path);
        return kRecordNameUnsafe;
    }
    work.blockOffset = record.blockOffset();

    ErrorCode result = writeRecordFile(work);
    if (work.ioFailure) host.showErrorDialog(readingFailedMessage(systemErrorText(result)));
    if (result != kOk) {
        work.output.reset();
        if (work.outputCreated) ::DeleteFileA(work.path.c_str());
    }
    return result;
}

ErrorCode DataFileExpander::writeRecordFile(RecordWork& work) {
    uint64_t fileSize = 0;
    Win32FileSource source(work.dataFile);
    ErrorCode code = source.size(fileSize);
    // A block header or stored bytes beyond the end of the file read short: the record fails
    // as a short read before anything is allocated or created.
    if (code == kOk && !blockHeaderFitsInFile(work.blockOffset, fileSize)) code = kShortBlockRead;
    if (code == kOk) code = readBlock(work.dataFile, uint64_t(work.blockOffset), work.block.bytes);
    if (code == kOk && work.block.size() == 0) return kOk;
    if (code == kOk && !blockFitsInFile(work.blockOffset, work.block, fileSize)) {
        code = kShortBlockRead;
    }
    if (code != kOk) {
        work.ioFailure = true;
        return code;
    }

    const std::string folder = folderPart(work.path);
    if (!folder.empty() && !folderExists(folder)) forceFolder(folder);
    return work.block.compressed() ? expandCompressed(work) : writeStored(work);
}

ErrorCode DataFileExpander::expandCompressed(RecordWork& work) {
    const int32_t storedSize = work.block.storedSize();
    std::vector<uint8_t> stored;
    try {
        stored.resize(static_cast<size_t>(storedSize));
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    const uint64_t at = uint64_t(work.blockOffset) + kBlockHeaderSize;
    if (const ErrorCode code = readBlock(work.dataFile, at, stored); code != kOk) {
        work.ioFailure = true;
        return code;
    }
    TCompressor compressor =
        compressionFolder_.empty() ? TCompressor() : TCompressor(compressionFolder_);
    if (!compressor.compressionAvailable()) return kNoCompression;
    compressor.expandToFile(work.path, stored.data(), storedSize);

    WIN32_FIND_DATAA found{};
    const FindHandle lookup(::FindFirstFileA(work.path.c_str(), &found));
    if (!lookup) return kExpandedFileMissing;
    work.outputCreated = true;
    const uint64_t length = (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return length == uint64_t(work.block.size()) ? kOk : kExpandedLengthWrong;
}

ErrorCode DataFileExpander::writeStored(RecordWork& work) {
    work.output.reset(::CreateFileA(work.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!work.output) {
        work.ioFailure = true;
        return lastError();
    }
    work.outputCreated = true;
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(work.block.size()));
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    const uint64_t at = uint64_t(work.blockOffset) + kBlockHeaderSize;
    if (const ErrorCode code = readBlock(work.dataFile, at, bytes); code != kOk) {
        work.ioFailure = true;
        return code;
    }
    DWORD written = 0;
    if (!::WriteFile(work.output.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr)) {
        work.ioFailure = true;
        return lastError();
    }
    if (written != bytes.size()) {
        work.ioFailure = true;
        return kShortBlockWrite;
    }
    if (!::CloseHandle(work.output.release())) {
        work.ioFailure = true;
        return lastError();
    }
    return kOk;
}

ErrorCode DataFileExpander::closeDataFile(DataFileHost& host) {
    if (!open_) return kOk;
    if (!::CloseHandle(file_.get())) {
        const ErrorCode code = lastError();
        host.showErrorDialog(closingFailedMessage(systemErrorText(code)));
        return code;
    }
    file_.release();
    open_ = false;
    return kOk;
}

}  // namespace velumar::package
