#include "package/pk_stuff.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "package/package_texts.h"
#include "util/dialogs_win32.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/paths.h"

namespace velumar::package {
namespace {

constexpr char kLibraryName[] = "impborl.dll";

// The buffer the installer has always given GetWindowsDirectoryA.
constexpr UINT kWindowsDirectoryBuffer = 301;

// The library's working storage for expansion, shared by every binding: expansions run one at a
// time on the user-interface thread.
alignas(8) char g_explodeWork[IMPBORL_EXPLODE_WORK_SIZE];

// A library that exists but cannot be loaded is worth one warning per run, not one per item.
bool g_loadWarningShown = false;

std::string systemWindowsDirectory() {
    char buffer[kWindowsDirectoryBuffer] = {};
    const UINT length = ::GetWindowsDirectoryA(buffer, kWindowsDirectoryBuffer);
    if (length == 0 || length >= kWindowsDirectoryBuffer) return {};
    return std::string(buffer, length);
}

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

}  // namespace

std::string compressionLibraryPath(std::string_view windowsDirectory) {
    if (windowsDirectory.empty()) return {};
    return withTrailingBackslash(windowsDirectory) + kLibraryName;
}

TCompressor::TCompressor() {
    bind(compressionLibraryPath(systemWindowsDirectory()));
}

TCompressor::TCompressor(std::string_view windowsDirectory) {
    bind(compressionLibraryPath(windowsDirectory));
}

TCompressor::~TCompressor() = default;

void TCompressor::bind(const std::string& libraryPath) {
    if (!fileExists(libraryPath)) return;
    Module library(::LoadLibraryA(libraryPath.c_str()));
    if (!library) {
        warnLibraryUnusable(static_cast<ErrorCode>(::GetLastError()));
        return;
    }
    const auto implodeEntry = procAddress<ImplodeEntry>(library.get(), "_implode");
    const auto explodeEntry = procAddress<ExplodeEntry>(library.get(), "_explode");
    const auto crc32Entry = procAddress<Crc32Entry>(library.get(), "_crc32");
    if (!implodeEntry || !explodeEntry || !crc32Entry) return;  // freed by library's destructor
    implodeEntry_ = implodeEntry;
    explodeEntry_ = explodeEntry;
    crc32Entry_ = crc32Entry;
    library_ = std::move(library);
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
    if (code == kOk) {
        outputRoom_ = static_cast<std::uint64_t>(expectedSize);
        outputOverflowed_ = false;
        TCompressor* self = this;
        explodeEntry_(readInput, writeOutput, g_explodeWork, &self);
    }
    const bool overflowed = code == kOk && outputOverflowed_;
    endExpansion();
    if (overflowed) return kExpandedLengthWrong;
    return code == kOk ? kOk : reportExpansionFailure(code);
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
    if (!output_) return static_cast<ErrorCode>(::GetLastError());
    outputCreated_ = true;
    outputFailed_ = false;
    return kOk;
}

void TCompressor::endExpansion() noexcept {
    output_.reset();
    input_.clear();
    input_.shrink_to_fit();
    inputPosition_ = 0;
    outputFailed_ = false;
    outputOverflowed_ = false;
    outputRoom_ = 0;
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
    if (const std::int32_t code = writeWhole(binding->output_.get(), buffer, *size); code != 0) {
        binding->outputWriteError_ = code;
        binding->outputFailed_ = true;
    }
    binding->outputRoom_ -= *size;
}

}  // namespace velumar::package
