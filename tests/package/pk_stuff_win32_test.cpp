#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../util/dialog_watch_win32.h"
#include "../util/scratch_folder_win32.h"
#include "implode/impborl.h"
#include "package/package_texts.h"
#include "package/pk_stuff.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"

namespace velumar::package {
namespace {

using velumar::testing::DialogCatcher;
using velumar::testing::ScratchFolder;
using velumar::testing::writeFile;

// The classic test vector of the format: literal mode 0, dictionary code 4.
const std::vector<std::uint8_t> kAiaiImploded = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8f, 0x80, 0x7f};
const std::string kAiaiExpanded = "AIAIAIAIAIAIA";
constexpr std::int64_t kAiaiSize = 13;

std::string programFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string readWholeFile(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string content(::GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    content.resize(read);
    return content;
}

bool isLoaded(const std::string& libraryPath) {
    return ::GetModuleHandleA(libraryPath.c_str()) != nullptr;
}

// Implodes text with the real library's _implode, independent of the binding under test.
struct ImplodeJob {
    const std::string* input;
    std::size_t position = 0;
    std::vector<std::uint8_t> output;
};

unsigned int IMPBORL_CALL readJob(char* buffer, unsigned int* size, void* param) {
    auto& job = *static_cast<ImplodeJob*>(param);
    const std::size_t count = std::min<std::size_t>(*size, job.input->size() - job.position);
    std::memcpy(buffer, job.input->data() + job.position, count);
    job.position += count;
    return static_cast<unsigned int>(count);
}

void IMPBORL_CALL writeJob(char* buffer, unsigned int* size, void* param) {
    auto& job = *static_cast<ImplodeJob*>(param);
    job.output.insert(job.output.end(), buffer, buffer + *size);
}

std::vector<std::uint8_t> implodeWithLibrary(const std::string& input, unsigned int mode,
                                             unsigned int dictionary) {
    Module library(::LoadLibraryA((programFolder() + "impborl.dll").c_str()));
    const auto implode = procAddress<decltype(&impborl_implode)>(library.get(), "_implode");
    if (!implode) return {};
    std::vector<char> work(IMPBORL_IMPLODE_WORK_SIZE);
    ImplodeJob job{&input, 0, {}};
    implode(readJob, writeJob, work.data(), &job, &mode, &dictionary);
    return job.output;
}

// Text with long repeats and noise from a fixed seed: both literals and matches get exercised.
std::string sampleText(std::size_t size) {
    std::string text;
    std::uint32_t state = 12345;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        if ((state >> 16) % 3 == 0)
            text += "The wallpaper page and its movies. ";
        else
            text += static_cast<char>(state >> 24);
    }
    text.resize(size);
    return text;
}

TEST(CompressionLibraryPath, AddsBackslashOnlyWhenMissing) {
    EXPECT_EQ(compressionLibraryPath("C:\\WINDOWS"), "C:\\WINDOWS\\impborl.dll");
    EXPECT_EQ(compressionLibraryPath("C:\\WINDOWS\\"), "C:\\WINDOWS\\impborl.dll");
    EXPECT_EQ(compressionLibraryPath("C:\\"), "C:\\impborl.dll");
    EXPECT_EQ(compressionLibraryPath(""), "");
}

class CompressorTest : public ::testing::Test {
  protected:
    CompressorTest() : windows_(scratch_ / "WINDOWS") {
        ::CreateDirectoryA(windows_.c_str(), nullptr);
    }

    // Puts a file from beside the test program into the folder as impborl.dll.
    void installLibrary(const std::string& fileName) {
        ASSERT_TRUE(::CopyFileA((programFolder() + fileName).c_str(), libraryPath().c_str(), FALSE))
            << fileName;
    }

    std::string libraryPath() const { return windows_ + "\\impborl.dll"; }
    std::string output(const std::string& name) const { return scratch_ / name; }

    ScratchFolder scratch_;
    std::string windows_;  // without its final "\", as GetWindowsDirectoryA reports it
};

TEST_F(CompressorTest, WithoutLibraryUnavailableAndSilent) {
    DialogCatcher catcher;
    {
        TCompressor compressor(windows_);
        EXPECT_FALSE(compressor.compressionAvailable());
        EXPECT_EQ(
            compressor.expandToFile(output("a.txt"), kAiaiImploded.data(),
                                    static_cast<std::int32_t>(kAiaiImploded.size()), kAiaiSize),
            kNoCompression);
    }
    EXPECT_TRUE(catcher.dialogs().empty());
    EXPECT_FALSE(fileExists(output("a.txt")));
}

TEST_F(CompressorTest, LibraryWithoutExplodeIsUnavailableAndFreed) {
    installLibrary("impborl_noexplode.dll");
    DialogCatcher catcher;
    TCompressor compressor(windows_);
    EXPECT_FALSE(compressor.compressionAvailable());
    EXPECT_FALSE(isLoaded(libraryPath()));
    EXPECT_TRUE(catcher.dialogs().empty());
}

TEST_F(CompressorTest, LibraryIsHeldOnlyWhileTheObjectLives) {
    installLibrary("impborl.dll");
    {
        TCompressor compressor(windows_ + "\\");
        EXPECT_TRUE(compressor.compressionAvailable());
        EXPECT_TRUE(isLoaded(libraryPath()));
    }
    EXPECT_FALSE(isLoaded(libraryPath()));
}

TEST_F(CompressorTest, ExpandsTheClassicVector) {
    installLibrary("impborl.dll");
    TCompressor compressor(windows_);
    ASSERT_TRUE(compressor.compressionAvailable());
    EXPECT_EQ(compressor.expandToFile(output("aiai.txt"), kAiaiImploded.data(),
                                      static_cast<std::int32_t>(kAiaiImploded.size()), kAiaiSize),
              kOk);
    EXPECT_EQ(readWholeFile(output("aiai.txt")), kAiaiExpanded);
}

TEST_F(CompressorTest, ExpandsWhatTheLibraryImploded) {
    installLibrary("impborl.dll");
    const std::string original = sampleText(300000);
    for (const auto& [mode, dictionary] :
         {std::pair{IMPBORL_BINARY, 4096u}, std::pair{IMPBORL_ASCII, 1024u}}) {
        const std::vector<std::uint8_t> imploded = implodeWithLibrary(original, mode, dictionary);
        ASSERT_FALSE(imploded.empty());
        ASSERT_LT(imploded.size(), original.size());
        TCompressor compressor(windows_);
        ASSERT_EQ(compressor.expandToFile(output("big.bin"), imploded.data(),
                                          static_cast<std::int32_t>(imploded.size()),
                                          std::int64_t(original.size())),
                  kOk);
        EXPECT_TRUE(readWholeFile(output("big.bin")) == original) << "mode " << mode;
    }
}

TEST_F(CompressorTest, ReplacesALongerExistingFile) {
    installLibrary("impborl.dll");
    writeFile(output("old.txt"), std::string(5000, 'z'));
    TCompressor compressor(windows_);
    EXPECT_EQ(compressor.expandToFile(output("old.txt"), kAiaiImploded.data(),
                                      static_cast<std::int32_t>(kAiaiImploded.size()), kAiaiSize),
              kOk);
    EXPECT_EQ(readWholeFile(output("old.txt")), kAiaiExpanded);
}

TEST_F(CompressorTest, CutShortStreamLeavesAShortFileForTheCaller) {
    installLibrary("impborl.dll");
    const std::string original = sampleText(20000);
    const std::vector<std::uint8_t> imploded = implodeWithLibrary(original, IMPBORL_BINARY, 2048);
    DialogCatcher catcher;
    TCompressor compressor(windows_);
    EXPECT_EQ(compressor.expandToFile(output("short.bin"), imploded.data(),
                                      static_cast<std::int32_t>(imploded.size() / 2),
                                      std::int64_t(original.size())),
              kOk);
    EXPECT_LT(readWholeFile(output("short.bin")).size(), original.size());
    EXPECT_TRUE(catcher.dialogs().empty());
}

TEST_F(CompressorTest, OutputThatCannotBeCreatedIsReportedWithItsCode) {
    installLibrary("impborl.dll");
    DialogCatcher catcher;
    TCompressor compressor(windows_);
    const std::string nowhere = output("missing\\folder\\file.txt");
    EXPECT_EQ(compressor.expandToFile(nowhere, kAiaiImploded.data(),
                                      static_cast<std::int32_t>(kAiaiImploded.size()), kAiaiSize),
              ERROR_PATH_NOT_FOUND);
    const auto dialogs = catcher.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Error");
    ASSERT_EQ(dialogs[0].texts.size(), 1u);
    EXPECT_EQ(dialogs[0].texts[0], "Zip Error: Problem expanding data in memory. \r\n\r\n" +
                                       systemErrorText(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(dialogs[0].buttons, std::vector<std::string>{"&Abort"});
}

TEST_F(CompressorTest, NegativeCountIsRefused) {
    installLibrary("impborl.dll");
    DialogCatcher catcher;
    TCompressor compressor(windows_);
    EXPECT_EQ(compressor.expandToFile(output("neg.txt"), kAiaiImploded.data(), -1, kAiaiSize),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(catcher.dialogs().size(), 1u);
    EXPECT_FALSE(fileExists(output("neg.txt")));
}

TEST_F(CompressorTest, ExpansionStopsAtTheExpectedSizeWithALengthError) {
    installLibrary("impborl.dll");
    // A megabyte of zeros implodes to a few kilobytes: such a bomb must not write past the
    // size its record announces.
    const std::string zeros(1 << 20, '\0');
    const std::vector<std::uint8_t> imploded = implodeWithLibrary(zeros, IMPBORL_BINARY, 4096);
    ASSERT_LT(imploded.size() * 100, zeros.size());
    DialogCatcher catcher;
    TCompressor compressor(windows_);
    EXPECT_EQ(compressor.expandToFile(output("bomb.bin"), imploded.data(),
                                      static_cast<std::int32_t>(imploded.size()), 1000),
              kExpandedLengthWrong);
    EXPECT_TRUE(compressor.outputCreated());
    EXPECT_EQ(compressor.outputWriteError(), kOk) << "stopped, not refused by the disk";
    EXPECT_LE(readWholeFile(output("bomb.bin")).size(), 1000u);
    EXPECT_TRUE(catcher.dialogs().empty());

    EXPECT_EQ(
        compressor.expandToFile(output("exact.txt"), kAiaiImploded.data(),
                                static_cast<std::int32_t>(kAiaiImploded.size()), kAiaiSize - 1),
        kExpandedLengthWrong);
    EXPECT_EQ(compressor.expandToFile(output("exact.txt"), kAiaiImploded.data(),
                                      static_cast<std::int32_t>(kAiaiImploded.size()), kAiaiSize),
              kOk);
    EXPECT_EQ(readWholeFile(output("exact.txt")), kAiaiExpanded);
}

TEST_F(CompressorTest, ExpandsIntoMemoryUpToTheExpectedSize) {
    installLibrary("impborl.dll");
    TCompressor compressor(windows_);
    std::vector<std::uint8_t> out{'x'};
    EXPECT_EQ(
        compressor.expandToMemory(kAiaiImploded.data(),
                                  static_cast<std::int32_t>(kAiaiImploded.size()), kAiaiSize, out),
        kOk);
    EXPECT_EQ(std::string(out.begin(), out.end()), kAiaiExpanded);
    EXPECT_FALSE(compressor.outputCreated());
    EXPECT_EQ(compressor.expandToMemory(kAiaiImploded.data(),
                                        static_cast<std::int32_t>(kAiaiImploded.size()),
                                        kAiaiSize - 1, out),
              kExpandedLengthWrong);
    EXPECT_LE(out.size(), std::size_t(kAiaiSize - 1));
}

// The run's library: bound once, from its full path; every binding made without a folder uses
// it (none before it is bound), a second binding changes nothing, and it stays loaded for the
// rest of the run, so that the file cannot be swapped between two items.
TEST_F(CompressorTest, RunLibraryIsBoundOnceAndUsedByEveryDefaultBinding) {
    EXPECT_FALSE(TCompressor().compressionAvailable()) << "nothing bound yet";
    // The one beside the test program: it stays loaded until the program ends.
    const std::string library = programFolder() + "impborl.dll";
    ASSERT_TRUE(bindRunCompressionLibrary(library));
    for (int item = 0; item < 2; ++item) {
        TCompressor compressor;
        ASSERT_TRUE(compressor.compressionAvailable());
        EXPECT_EQ(
            compressor.expandToFile(output("run.txt"), kAiaiImploded.data(),
                                    static_cast<std::int32_t>(kAiaiImploded.size()), kAiaiSize),
            kOk);
        EXPECT_EQ(readWholeFile(output("run.txt")), kAiaiExpanded);
    }
    EXPECT_TRUE(isLoaded(library)) << "held after the items";
    const std::string other = programFolder() + "impborl_noexplode.dll";
    EXPECT_TRUE(bindRunCompressionLibrary(other)) << "still the first";
    EXPECT_FALSE(isLoaded(other));
    EXPECT_TRUE(TCompressor().compressionAvailable());
}

TEST_F(CompressorTest, UnloadableLibraryWarnsOncePerRun) {
    writeFile(libraryPath(), "this is not a library");
    DialogCatcher catcher;
    {
        TCompressor first(windows_);
        EXPECT_FALSE(first.compressionAvailable());
        TCompressor second(windows_);
        EXPECT_FALSE(second.compressionAvailable());
    }
    const auto dialogs = catcher.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Error");
    ASSERT_EQ(dialogs[0].texts.size(), 1u);
    const std::string expectedStart =
        "System experiencing problem using compression. Program will attempt to continue "
        "with compression disabled.\r\n\r\n";
    EXPECT_EQ(dialogs[0].texts[0].substr(0, expectedStart.size()), expectedStart);
}

}  // namespace
}  // namespace velumar::package
