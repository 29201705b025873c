// extractEntry, deleteFileWithRetry and reportInstallError on real files, with the dialogs read
// live from a second thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "package/byte_source.h"
#include "package/extract_win32.h"
#include "util/dialog_watch_win32.h"
#include "util/handles_win32.h"
#include "util/scratch_folder_win32.h"

namespace velumar::package {
namespace {

using velumar::testing::DialogCatcher;
using velumar::testing::ScratchFolder;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct RecordedProgress final : DataFileHost {
    std::vector<std::string> events;
    void setStatusText(std::string_view text) override { events.push_back(std::string(text)); }
    void stepProgress() override { events.push_back("step"); }
    void reportInstallError(ErrorCode, const std::string&) override {}
    void showErrorDialog(const std::string&) override {}
    void showInformationDialog(const std::string&) override {}
};

// A package copy held in memory: 100 bytes before the stored entries, then "Hello, world".
class ExtractEntry : public ::testing::Test {
  protected:
    void SetUp() override {
        ::CreateDirectoryA(windows().c_str(), nullptr);
        ::CreateDirectoryA(wallpaper().c_str(), nullptr);
        bytes.assign(100, 'x');
        const std::string stored = "Hello, world";
        bytes.insert(bytes.end(), stored.begin(), stored.end());
        setEntry(slots::preview, "installer.BMP", destinations::wallpaperFiles, 100, 111);
    }

    std::string windows() const { return scratch / "win\\"; }
    std::string wallpaper() const { return scratch / "wp\\"; }

    void setEntry(int slot, std::string_view name, int32_t destination, int32_t start,
                  int32_t end) {
        PackageEntry& entry = header.slot(slot);
        entry.setName(name);
        entry.destination = destination;
        entry.startOffset = start;
        entry.endOffset = end;
        entry.size = end - start + 1;
    }

    ErrorCode extract(int slot, bool showProgress = false) {
        MemorySource source(bytes);
        const std::string windowsFolder = windows(), wallpaperFolder = wallpaper();
        const ExtractionTarget target{header, windowsFolder, wallpaperFolder, &progress};
        return extractEntry(target, source, slot, showProgress);
    }

    ScratchFolder scratch;
    PackageHeader header;
    std::vector<uint8_t> bytes;
    RecordedProgress progress;
};

TEST_F(ExtractEntry, WritesTheStoredBytesWithStatusAndStep) {
    DialogCatcher dialogs;
    EXPECT_EQ(extract(slots::preview, true), kOk);
    EXPECT_EQ(readFile(wallpaper() + "installer.BMP"), "Hello, world");
    EXPECT_EQ(progress.events, (std::vector<std::string>{"Writing Velumar files...", "step"}));
    EXPECT_TRUE(dialogs.dialogs().empty());
}

TEST_F(ExtractEntry, OneByteEntry) {
    setEntry(slots::license, "license.txt", destinations::wallpaperFiles, 111, 111);
    EXPECT_EQ(extract(slots::license), kOk);
    EXPECT_EQ(readFile(wallpaper() + "license.txt"), "d");
    EXPECT_TRUE(progress.events.empty());
}

TEST_F(ExtractEntry, EmptySlotReportsAnEmptyPath) {
    DialogCatcher dialogs;
    EXPECT_EQ(extract(slots::license), kEmptySlot);
    const auto seen = dialogs.dialogs();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "Error");
    ASSERT_EQ(seen[0].texts.size(), 1u);
    EXPECT_EQ(seen[0].texts[0], "Installation Error: \r\n\r\nProblem with file . ");
}

TEST_F(ExtractEntry, RangesOutsideThePackageFailWithoutTouchingTheDestination) {
    velumar::testing::writeFile(wallpaper() + "installer.BMP", "old");
    for (const auto& [start, end] : {std::pair{100, 200}, std::pair{111, 100},
                                     std::pair{100, -2147483647 - 1}, std::pair{-4, 10}}) {
        DialogCatcher dialogs;
        setEntry(slots::preview, "installer.BMP", destinations::wallpaperFiles, start, end);
        EXPECT_EQ(extract(slots::preview), kShortEntry) << start << ".." << end;
        const auto seen = dialogs.dialogs();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].texts.at(0), "Installation Error: \r\n\r\nProblem with file " +
                                           wallpaper() + "installer.BMP. ");
        EXPECT_EQ(readFile(wallpaper() + "installer.BMP"), "old");
    }
}

TEST_F(ExtractEntry, ReadOnlyDestinationIsReplaced) {
    const std::string path = velumar::testing::writeFile(wallpaper() + "installer.BMP", "old");
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    DialogCatcher dialogs;
    EXPECT_EQ(extract(slots::preview), kOk);
    EXPECT_EQ(readFile(path), "Hello, world");
    EXPECT_TRUE(dialogs.dialogs().empty());
}

FileHandle holdOpen(const std::string& path) {
    return FileHandle(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST_F(ExtractEntry, BusyDestinationIsReportedOnceAndCountsAsWritten) {
    const std::string path = velumar::testing::writeFile(wallpaper() + "installer.BMP", "old");
    FileHandle held = holdOpen(path);
    ASSERT_TRUE(held);
    DialogCatcher dialogs;
    EXPECT_EQ(extract(slots::preview), kOk);
    const auto seen = dialogs.dialogs();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].texts.at(0),
              "Installation Error:  File is busy and cannot be replaced. Please close any other "
              "application that may be using this file and try again.\r\n\r\nFile: " +
                  path);
    held.reset();
    EXPECT_EQ(readFile(path), "old");
}

TEST_F(ExtractEntry, BusyScreenSaverIsReportedWithoutPathAndFails) {
    setEntry(slots::preview, "Aurora.scr", destinations::wallpaperFiles, 100, 111);
    const std::string path = velumar::testing::writeFile(wallpaper() + "Aurora.scr", "old");
    const FileHandle held = holdOpen(path);
    DialogCatcher dialogs;
    EXPECT_EQ(extract(slots::preview), kWallpaperBusy);
    const auto seen = dialogs.dialogs();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].texts.at(0),
              "Installation Error: Wallpaper file is busy.\r\n\r\nPlease close the Display "
              "Properties control panel and try again.");
}

TEST_F(ExtractEntry, BusyLibraryStaysSilently) {
    setEntry(slots::compressionLibrary, "impborl.dat", destinations::windowsFolder, 100, 111);
    const std::string path = velumar::testing::writeFile(windows() + "impborl.dll", "old");
    FileHandle held = holdOpen(path);
    DialogCatcher dialogs;
    EXPECT_EQ(extract(slots::compressionLibrary), kOk);
    EXPECT_TRUE(dialogs.dialogs().empty());
    held.reset();
    EXPECT_EQ(readFile(path), "old");
}

TEST_F(ExtractEntry, CapitalDllGoesThroughTheReportingDeletion) {
    // Only a lower-case ".dll" is a library: a busy ".DLL" gets the busy message.
    setEntry(slots::preview, "IMPBORL.DLL", destinations::wallpaperFiles, 100, 111);
    const std::string path = velumar::testing::writeFile(wallpaper() + "IMPBORL.DLL", "old");
    const FileHandle held = holdOpen(path);
    DialogCatcher dialogs;
    EXPECT_EQ(extract(slots::preview), kOk);
    EXPECT_EQ(dialogs.dialogs().size(), 1u);
}

TEST_F(ExtractEntry, NoDestinationIsAReportedWriteError) {
    setEntry(slots::preview, "installer.BMP", destinations::none, 100, 111);
    DialogCatcher dialogs;
    EXPECT_EQ(extract(slots::preview), ERROR_INVALID_NAME);
    EXPECT_EQ(dialogs.dialogs().size(), 1u);
}

// A file the run goes on to load or start: held after the write, others may read it but not
// write, delete or rename it.
class CheckedEntry : public ExtractEntry {
  protected:
    void SetUp() override {
        ExtractEntry::SetUp();
        setEntry(slots::flashInstaller, "flashax.exe", destinations::windowsFolder, 100, 111);
        setEntry(slots::compressionLibrary, "impborl.dll", destinations::windowsFolder, 100, 111);
    }
    ErrorCode extractChecked(int slot) {
        MemorySource source(bytes);
        const std::string windowsFolder = windows(), wallpaperFolder = wallpaper();
        const ExtractionTarget target{header, windowsFolder, wallpaperFolder, &progress};
        return extractCheckedEntry(target, source, slot, checked);
    }
    CheckedFile checked;
};

FileHandle holdForReading(const std::string& path) {
    return FileHandle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST_F(CheckedEntry, WrittenFileIsHeldAgainstWritingAndDeleting) {
    DialogCatcher dialogs;
    ASSERT_EQ(extractChecked(slots::flashInstaller), kOk);
    EXPECT_EQ(checked.path, windows() + "flashax.exe");
    ASSERT_TRUE(checked.file);
    EXPECT_EQ(readFile(checked.path), "Hello, world") << "others may read it";
    EXPECT_FALSE(::DeleteFileA(checked.path.c_str()));
    EXPECT_FALSE(::MoveFileA(checked.path.c_str(), (windows() + "moved.exe").c_str()));
    EXPECT_EQ(::CreateFileA(checked.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    checked.file.reset();
    EXPECT_TRUE(::DeleteFileA(checked.path.c_str()));
    EXPECT_TRUE(dialogs.dialogs().empty());
}

// A file that cannot be replaced is used only when it is already the package's, silently;
// another is the busy message and -32, for a library too, and nothing is held.
TEST_F(CheckedEntry, BusyFileIsUsedOnlyWhenItHoldsThePackagesBytes) {
    for (const int slot : {slots::flashInstaller, slots::compressionLibrary}) {
        const std::string path =
            windows() + (slot == slots::flashInstaller ? "flashax.exe" : "impborl.dll");
        SCOPED_TRACE(path);
        for (const std::string content : {"Hello, world", "Hello, World", "Hello, world!"}) {
            velumar::testing::writeFile(path, content);
            FileHandle other = holdForReading(path);
            ASSERT_TRUE(other);
            DialogCatcher dialogs;
            const bool ours = content == "Hello, world";
            EXPECT_EQ(extractChecked(slot), ours ? kOk : kFileBusy) << content;
            EXPECT_EQ(static_cast<bool>(checked.file), ours);
            const auto seen = dialogs.dialogs();
            if (ours) {
                EXPECT_TRUE(seen.empty());
            } else {
                ASSERT_EQ(seen.size(), 1u);
                EXPECT_EQ(seen[0].texts.at(0),
                          "Installation Error:  File is busy and cannot be replaced. Please close "
                          "any other application that may be using this file and try again."
                          "\r\n\r\nFile: " +
                              path);
            }
            checked = CheckedFile{};
            other.reset();
            EXPECT_EQ(readFile(path), content);
        }
    }
}

// Held by a program that lets nobody read it either: it cannot be checked, so it is not used.
TEST_F(CheckedEntry, FileThatCannotBeReadIsNotUsed) {
    const std::string path = velumar::testing::writeFile(windows() + "flashax.exe", "Hello, world");
    const FileHandle other = holdOpen(path);
    DialogCatcher dialogs;
    EXPECT_EQ(extractChecked(slots::flashInstaller), kFileBusy);
    EXPECT_FALSE(checked.file);
    EXPECT_EQ(dialogs.dialogs().size(), 1u);
}

TEST(DeleteFileWithRetry, MissingFileAndNoAttempts) {
    ScratchFolder scratch;
    EXPECT_EQ(deleteFileWithRetry(scratch / "missing.txt", true, 5000), kOk);
    const std::string path = velumar::testing::writeFile(scratch / "there.txt");
    EXPECT_EQ(deleteFileWithRetry(path, false, 0), -1);
    EXPECT_EQ(deleteFileWithRetry(path, false, 1), kOk);
    EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DeleteFileWithRetry, BusyWithoutReportShowsNothing) {
    ScratchFolder scratch;
    const std::string path = velumar::testing::writeFile(scratch / "busy.txt");
    const FileHandle held = holdOpen(path);
    DialogCatcher dialogs;
    EXPECT_EQ(deleteFileWithRetry(path, false, 10), kFileBusy);
    EXPECT_TRUE(dialogs.dialogs().empty());
}

TEST(ReportInstallError, SystemTextForOperatingSystemCodes) {
    DialogCatcher dialogs;
    reportInstallError(ERROR_ACCESS_DENIED, "C:\\a.txt");
    const auto seen = dialogs.dialogs();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].buttons, std::vector<std::string>{"&Abort"});
    const std::string& text = seen[0].texts.at(0);
    EXPECT_EQ(text.rfind("Installation Error: ", 0), 0u);
    EXPECT_NE(text.find("\r\n\r\nProblem with file C:\\a.txt. "), std::string::npos);
    EXPECT_GT(text.size(),
              std::string("Installation Error: \r\n\r\nProblem with file C:\\a.txt. ").size());
}

}  // namespace
}  // namespace velumar::package
