// TCompressor: the run-time binding to the implode library impborl.dll (Win32 build only).
//
// The installer loads the library once per run (bindRunCompressionLibrary), by its full path,
// from the file start-up wrote into the Windows folder and checked to be the package's; every
// object made without a folder uses that one binding, so the file cannot be swapped between two
// items. An object given a folder loads and frees a library of its own from there. One object
// serves one compressed item. The library's _explode is driven through
// two C callbacks that feed it the imploded bytes from a memory copy and append what it expands
// to the destination file. The expanded length is not part of the implode stream: callers
// compare the written file's length with their own records (that is how corrupt data shows up).
//
//   compressionAvailable()  true when the library loaded and _implode, _explode and _crc32
//                           resolved. A missing library, or one lacking an export, is silent;
//                           a library file that exists but does not load is reported once per
//                           run in the error dialog. Callers turn "unavailable" into -35.
//   expandToMemory(...)     the same into memory, for a file the caller checks or writes
//                           itself; a failure to hold the output is ERROR_NOT_ENOUGH_MEMORY,
//                           kept as outputWriteError().
//   expandToFile(...)       0, or the system code of a failure to stage the bytes or to create
//                           the output file (then also shown in the error dialog as
//                           "Zip Error: Problem expanding data in memory. " and the system
//                           text). -35 when called although compression is unavailable.
//                           A failed write of the output is kept, not shown:
//                           outputWriteError() gives its code to the caller.
//                           -13 when the stream expands to more than the expected length:
//                           writing stops at that length, so a small imploded item cannot
//                           fill the disk (runs of zeros implode at about 173:1). Nothing is
//                           shown for -13; the caller reports it as a length error.
#ifndef VELUMAR_PACKAGE_PK_STUFF_H
#define VELUMAR_PACKAGE_PK_STUFF_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "implode/impborl.h"
#include "util/error_codes.h"
#include "util/handles_win32.h"

namespace velumar::package {

// The library's place: the Windows directory, "\" when it does not end in one, "impborl.dll".
// Empty for an empty directory (no library rather than one found through the search path).
std::string compressionLibraryPath(std::string_view windowsDirectory);

// Loads the run's library from libraryPath (a full path; the caller holds the file without write
// or delete sharing until this returns) and resolves its three exports; once per run: a second
// call changes nothing. False when it cannot be loaded (warned once, as below) or lacks an
// export: then nothing is bound and every compressed item fails with -35.
bool bindRunCompressionLibrary(const std::string& libraryPath);

class TCompressor {
  public:
    // Uses the run's library (bindRunCompressionLibrary); unavailable when none is bound.
    TCompressor();
    // Binds to impborl.dll in the given folder (with or without its final "\").
    explicit TCompressor(std::string_view windowsDirectory);
    ~TCompressor();

    TCompressor(const TCompressor&) = delete;
    TCompressor& operator=(const TCompressor&) = delete;

    bool compressionAvailable() const noexcept { return compressionAvailable_; }

    // Expands count imploded bytes at data into a new file at path (an existing file there is
    // replaced), writing at most expectedSize bytes.
    ErrorCode expandToFile(const std::string& path, const void* data, std::int32_t count,
                           std::int64_t expectedSize);
    // Expands into out (replacing what it held), at most expectedSize bytes.
    ErrorCode expandToMemory(const void* data, std::int32_t count, std::int64_t expectedSize,
                             std::vector<std::uint8_t>& out);

    // Whether the last expandToFile created its output file: a caller that removes a failed
    // item's file removes only a file the binding made.
    bool outputCreated() const noexcept { return outputCreated_; }

    // The system's code for the write that cut the last expandToFile's output short (a full
    // disk is ERROR_DISK_FULL); 0 when every write went through. Nothing is shown for it: the
    // caller reports it as its own write failure.
    ErrorCode outputWriteError() const noexcept { return outputWriteError_; }

  private:
    using ImplodeEntry = decltype(&impborl_implode);
    using ExplodeEntry = decltype(&impborl_explode);
    using Crc32Entry = decltype(&impborl_crc32);

    void bind(const std::string& libraryPath);
    ErrorCode explode(std::int64_t expectedSize);
    ErrorCode writeExpanded(const char* buffer, unsigned int size) noexcept;
    ErrorCode stageInput(const void* data, std::int32_t count) noexcept;
    ErrorCode createOutput(const std::string& path) noexcept;
    void endExpansion() noexcept;

    static unsigned int IMPBORL_CALL readInput(char* buffer, unsigned int* size,
                                               void* param) noexcept;
    static void IMPBORL_CALL writeOutput(char* buffer, unsigned int* size, void* param) noexcept;

    ImplodeEntry implodeEntry_ = nullptr;
    ExplodeEntry explodeEntry_ = nullptr;
    Crc32Entry crc32Entry_ = nullptr;
    FileHandle output_;
    std::vector<std::uint8_t>* memoryOutput_ = nullptr;
    std::vector<char> input_;
    std::size_t inputPosition_ = 0;
    // After a failed write nothing more is written and the input is cut short, so the file
    // ends early and the caller's length check reports it.
    bool outputFailed_ = false;
    bool outputCreated_ = false;
    ErrorCode outputWriteError_ = kOk;
    // Bytes the output may still take before the expected length is passed.
    std::uint64_t outputRoom_ = 0;
    bool outputOverflowed_ = false;
    bool compressionAvailable_ = false;
    Module library_;
};

}  // namespace velumar::package

#endif
