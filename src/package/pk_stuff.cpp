#include "package/pk_stuff.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "package/package_header.h"
#include "package/package_texts.h"
#include "util/dialogs_win32.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/paths.h"

namespace velumar::package {
namespace {

// The library's working storage for expansion, shared by every binding: expansions run one at a
// time on the user-interface thread.
alignas(8) char g_explodeWork[IMPBORL_EXPLODE_WORK_SIZE];

// A library that exists but cannot be loaded is worth one warning per run, not one per item.
bool g_loadWarningShown = false;

std::string withSystemText(std::string_view message, ErrorCode code) {
    std::string text(message);
    text += texts::kParagraphBreak;
    text += systemErrorText(code);
    return text;
}

void warnLibraryUnusable(ErrorCode code) {
    if (g_loadWarningShown) return;
    g_loadWarningShown = true;
    showErrorDialog(withSystemText(texts::kCompressionUnusable, code));
}

ErrorCode reportExpansionFailure(ErrorCode code) {
    showErrorDialog(withSystemText(texts::kZipErrorExpanding, code));
    return code;
}

TCompressor* bindingFrom(void* param) noexcept {
    return param ? *static_cast<TCompressor**>(param) : nullptr;
}

struct LibraryEntries {
    decltype(&impborl_implode) implode = nullptr;
    decltype(&impborl_explode) explode = nullptr;
    decltype(&impborl_crc32) crc32 = nullptr;
};

// The library at libraryPath with its three exports resolved; empty when there is no file, it
// does not load (warned once) or an export is missing (freed again at once).
Module loadLibrary(const std::string& libraryPath, LibraryEntries& entries) {
    entries = {};
    if (!fileExists(libraryPath)) return Module();
    Module library(::LoadLibraryA(libraryPath.c_str()));
    if (!library) {
        warnLibraryUnusable(lastErrorCode());
        return Module();
    }
    LibraryEntries found;
    found.implode = procAddress<decltype(found.implode)>(library.get(), "_implode");
    found.explode = procAddress<decltype(found.explode)>(library.get(), "_explode");
    found.crc32 = procAddress<decltype(found.crc32)>(library.get(), "_crc32");
    if (!found.implode || !found.explode || !found.crc32) return Module();
    entries = found;
    return library;
}

// The run's library: loaded once, held until the program ends.
struct RunLibrary {
    bool tried = false;
    Module module;
    LibraryEntries entries;
};

RunLibrary g_runLibrary;

RunLibrary& runLibrary() {
    return g_runLibrary;
}

}  // namespace

bool bindRunCompressionLibrary(const std::string& libraryPath) {
    RunLibrary& run = runLibrary();
    if (!run.tried) {
        run.tried = true;
        run.module = loadLibrary(libraryPath, run.entries);
    }
    return static_cast<bool>(run.module);
}

std::string compressionLibraryPath(std::string_view windowsDirectory) {
    if (windowsDirectory.empty()) return {};
    return withTrailingBackslash(windowsDirectory) + std::string(kLibraryFileName);
}

TCompressor::TCompressor() {
    const RunLibrary& run = runLibrary();
    if (!run.module) return;
    implodeEntry_ = run.entries.implode;
    explodeEntry_ = run.entries.explode;
    crc32Entry_ = run.entries.crc32;
    compressionAvailable_ = true;
}

TCompressor::TCompressor(std::string_view windowsDirectory) {
    bind(compressionLibraryPath(windowsDirectory));
}

TCompressor::~TCompressor() = default;

void TCompressor::bind(const std::string& libraryPath) {
    LibraryEntries entries;
    library_ = loadLibrary(libraryPath, entries);
    if (!library_) return;
    implodeEntry_ = entries.implode;
    explodeEntry_ = entries.explode;
    crc32Entry_ = entries.crc32;
    compressionAvailable_ = true;
}

ErrorCode TCompressor::expandToFile(const std::string& path, const void* data, std::int32_t count,
                                    std::int64_t expectedSize) {
    outputCreated_ = false;
    outputWriteError_ = kOk;
    if (!compressionAvailable_) return kNoCompression;
    if (expectedSize < 0) return kExpandedLengthWrong;
    ErrorCode code = stageInput(data, count);
    if (code == kOk) code = createOutput(path);
    if (code == kOk) return explode(expectedSize);
    endExpansion();
    return reportExpansionFailure(code);
}

ErrorCode TCompressor::expandToMemory(const void* data, std::int32_t count,
                                      std::int64_t expectedSize, std::vector<std::uint8_t>& out) {
    outputCreated_ = false;
    outputWriteError_ = kOk;
    out.clear();
    if (!compressionAvailable_) return kNoCompression;
    if (expectedSize < 0) return kExpandedLengthWrong;
    const ErrorCode code = stageInput(data, count);
    if (code != kOk) {
        endExpansion();
        return reportExpansionFailure(code);
    }
    memoryOutput_ = &out;
    return explode(expectedSize);
}

// The staged input through _explode into the output (a file or memory), then the end of the
// expansion.
ErrorCode TCompressor::explode(std::int64_t expectedSize) {
    outputRoom_ = static_cast<std::uint64_t>(expectedSize);
    outputOverflowed_ = false;
    outputFailed_ = false;
    TCompressor* self = this;
    explodeEntry_(readInput, writeOutput, g_explodeWork, &self);
    const bool overflowed = outputOverflowed_;
    endExpansion();
    return overflowed ? kExpandedLengthWrong : kOk;
}

ErrorCode TCompressor::stageInput(const void* data, std::int32_t count) noexcept {
    if (count < 0 || (count > 0 && data == nullptr)) return ERROR_INVALID_PARAMETER;
    try {
        const auto* bytes = static_cast<const char*>(data);
        input_.assign(bytes, bytes + count);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    inputPosition_ = 0;
    return kOk;
}

ErrorCode TCompressor::createOutput(const std::string& path) noexcept {
    output_ = createForWriting(path);
    if (!output_) return lastErrorCode();
    outputCreated_ = true;
    outputFailed_ = false;
    return kOk;
}

void TCompressor::endExpansion() noexcept {
    output_.reset();
    memoryOutput_ = nullptr;
    input_.clear();
    input_.shrink_to_fit();
    inputPosition_ = 0;
    outputFailed_ = false;
    outputOverflowed_ = false;
    outputRoom_ = 0;
}

ErrorCode TCompressor::writeExpanded(const char* buffer, unsigned int size) noexcept {
    if (!memoryOutput_) return writeWhole(output_.get(), buffer, size);
    try {
        memoryOutput_->insert(memoryOutput_->end(), buffer, buffer + size);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::length_error&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return kOk;
}

unsigned int IMPBORL_CALL TCompressor::readInput(char* buffer, unsigned int* size,
                                                 void* param) noexcept {
    TCompressor* binding = bindingFrom(param);
    if (!binding || !buffer || !size || binding->outputFailed_) return 0;
    const std::size_t left = binding->input_.size() - binding->inputPosition_;
    const std::size_t count = std::min<std::size_t>(*size, left);
    std::memcpy(buffer, binding->input_.data() + binding->inputPosition_, count);
    binding->inputPosition_ += count;
    return static_cast<unsigned int>(count);
}

void IMPBORL_CALL TCompressor::writeOutput(char* buffer, unsigned int* size, void* param) noexcept {
    TCompressor* binding = bindingFrom(param);
    if (!binding || !buffer || !size || binding->outputFailed_ || *size == 0) return;
    // More than the expected length: nothing of this piece is written and the input is cut
    // short, which ends the expansion.
    if (*size > binding->outputRoom_) {
        binding->outputOverflowed_ = true;
        binding->outputFailed_ = true;
        return;
    }
    if (const std::int32_t code = binding->writeExpanded(buffer, *size); code != 0) {
        binding->outputWriteError_ = code;
        binding->outputFailed_ = true;
    }
    binding->outputRoom_ -= *size;
}

}  // namespace velumar::package
