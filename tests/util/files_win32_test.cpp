#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "scratch_folder_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"

namespace velumar {
namespace {

using testing::ScratchFolder;
using testing::writeFile;

bool exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void makeFolder(const std::string& path) {
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
}

// Sets an environment variable for the test's lifetime; nullptr removes it.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        char buffer[32768];
        const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
        if (length > 0 && length < sizeof buffer) saved_ = std::string(buffer, length);
        ::SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnvironment() { ::SetEnvironmentVariableA(name_, saved_ ? saved_->c_str() : nullptr); }

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(DeleteFileQuiet, ClearsReadOnlyAndDeletes) {
    ScratchFolder scratch;
    const std::string file = writeFile(scratch / "locked.txt");
    ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(deleteFileQuiet(file), 0);
    EXPECT_FALSE(exists(file));
}

TEST(DeleteFileQuiet, MissingFileIsNoError) {
    ScratchFolder scratch;
    EXPECT_EQ(deleteFileQuiet(scratch / "absent.txt"), 0);
    EXPECT_EQ(deleteFileQuiet(""), 0);
}

TEST(DeleteFileQuiet, FileInUseGivesMinus32AndStays) {
    ScratchFolder scratch;
    const std::string file = writeFile(scratch / "busy.txt");
    FileHandle open(
        ::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open);
    EXPECT_EQ(deleteFileQuiet(file), kErrorFileNotDeleted);
    open.reset();
    EXPECT_TRUE(fileExists(file));
}

TEST(DeleteFileQuiet, LeavesAFolderOfThatNameAlone) {
    ScratchFolder scratch;
    makeFolder(scratch / "folder");
    EXPECT_EQ(deleteFileQuiet(scratch / "folder"), 0);
    EXPECT_TRUE(folderExists(scratch / "folder"));
}

TEST(FileAndFolderTests, TellFilesFromFolders) {
    ScratchFolder scratch;
    const std::string file = writeFile(scratch / "file.txt");
    makeFolder(scratch / "sub");
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(folderExists(file));
    EXPECT_TRUE(folderExists(scratch / "sub"));
    EXPECT_TRUE(folderExists(scratch / "sub\\"));
    EXPECT_FALSE(fileExists(scratch / "sub"));
    EXPECT_FALSE(fileExists(scratch / "none"));
    EXPECT_FALSE(folderExists(scratch / "none"));
    EXPECT_FALSE(fileExists(scratch / "*.txt"));
}

TEST(DeleteFolderTree, RemovesNestedFoldersAndReadOnlyFiles) {
    ScratchFolder scratch;
    const std::string tree = scratch / "tree\\";
    makeFolder(tree);
    makeFolder(tree + "sub");
    makeFolder(tree + "sub\\deeper");
    writeFile(tree + "top.txt");
    writeFile(tree + "sub\\inner.dat");
    writeFile(tree + "sub\\deeper\\last.bin");
    ::SetFileAttributesA((tree + "sub\\inner.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    deleteFolderTree(tree);
    EXPECT_FALSE(exists(tree));
    EXPECT_TRUE(folderExists(scratch.path()));
}

TEST(DeleteFolderTree, FileInUseKeepsItsFolderAndThoseAbove) {
    ScratchFolder scratch;
    const std::string tree = scratch / "tree\\";
    makeFolder(tree);
    makeFolder(tree + "sub");
    const std::string busy = writeFile(tree + "sub\\busy.txt");
    FileHandle open(
        ::CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open);
    deleteFolderTree(tree);
    open.reset();
    EXPECT_TRUE(fileExists(busy));
    EXPECT_TRUE(folderExists(tree));
}

TEST(DeleteFolderTree, EmptyPathTouchesNothing) {
    ScratchFolder scratch;
    const std::string bystander = writeFile(scratch / "bystander.txt");
    makeFolder(scratch / "sub");
    char saved[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_TRUE(::SetCurrentDirectoryA(scratch.path().c_str()));
    deleteFolderTree("");
    ::SetCurrentDirectoryA(saved);
    EXPECT_TRUE(fileExists(bystander));
    EXPECT_TRUE(folderExists(scratch / "sub"));
}

TEST(DeleteFolderTree, AcceptsAFolderWithoutFinalBackslash) {
    ScratchFolder scratch;
    makeFolder(scratch / "tree");
    writeFile(scratch / "tree\\a.txt");
    writeFile(scratch / "tree.txt");
    deleteFolderTree(scratch / "tree");
    EXPECT_FALSE(exists(scratch / "tree"));
    EXPECT_TRUE(fileExists(scratch / "tree.txt"));
}

TEST(ForceFolder, CreatesMissingParents) {
    ScratchFolder scratch;
    const std::string deep = scratch / "a\\b\\c\\";
    forceFolder(deep);
    EXPECT_TRUE(folderExists(deep));
    forceFolder(deep);
    EXPECT_TRUE(folderExists(deep));
}

TEST(ForceFolder, BelowAFileFailsQuietly) {
    ScratchFolder scratch;
    const std::string file = writeFile(scratch / "plain");
    forceFolder(file + "\\child\\");
    EXPECT_FALSE(folderExists(file + "\\child"));
    EXPECT_TRUE(fileExists(file));
}

TEST(MakeTempFolder, NumbersFoldersThatAlreadyExist) {
    ScratchFolder scratch;
    const std::string temp(scratch.path(), 0, scratch.path().size() - 1);
    ScopedEnvironment environment("TEMP", temp.c_str());
    EXPECT_EQ(makeTempFolder("VLMR"), scratch / "VLMR\\");
    EXPECT_EQ(makeTempFolder("VLMR"), scratch / "VLMR1\\");
    EXPECT_EQ(makeTempFolder("VLMR"), scratch / "VLMR2\\");
    EXPECT_TRUE(folderExists(scratch / "VLMR1"));
}

TEST(MakeTempFolder, SkipsAFileOfTheBaseName) {
    ScratchFolder scratch;
    writeFile(scratch / "FlashPanel");
    ScopedEnvironment environment("TEMP", scratch.path().c_str());
    EXPECT_EQ(makeTempFolder("FlashPanel"), scratch / "FlashPanel1\\");
}

TEST(MakeTempFolder, EmptyTempFallsBackToTheSystemTemporaryPath) {
    ScratchFolder scratch;
    // GetTempPathA looks at TMP before TEMP.
    ScopedEnvironment tmp("TMP", scratch.path().c_str());
    ScopedEnvironment temp("TEMP", "");
    EXPECT_EQ(makeTempFolder("VLMR"), scratch / "VLMR\\");
}

TEST(MakeTempFolder, GivesUpWhenNothingCanBeCreated) {
    ScratchFolder scratch;
    const std::string missing = scratch / "no\\such\\folder";
    ScopedEnvironment environment("TEMP", missing.c_str());
    EXPECT_EQ(makeTempFolder("VLMR"), "");
    EXPECT_FALSE(exists(scratch / "no"));
}

// Folder links. Windows shows a junction or a directory symbolic link, Wine a Unix symbolic
// link to a folder, as a directory with FILE_ATTRIBUTE_REPARSE_POINT. Wine (8.0) offers no way
// to make such a link from the Windows side (CreateSymbolicLinkA reports success and does
// nothing) nor to remove one (RemoveDirectoryA and DeleteFileA both refuse it), so under Wine
// the test makes and removes the link with the host's ln and rm.
class FolderLinkTest : public ::testing::Test {
  protected:
    // Makes link point at target; false when this system offers no way to.
    static bool makeFolderLink(const std::string& link, const std::string& target) {
        return viaCreateSymbolicLink(link, target) ||
               (runHost("/bin/ln", {"-s", hostName(target), hostName(link)}) &&
                waitUntil([&] { return isFolderLink(link); }));
    }

    static bool isFolderLink(const std::string& path) {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
               (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }

    static bool underWine() { return wineFunction<void*>("wine_get_unix_file_name") != nullptr; }

    // Expects the link gone; under Wine, where it cannot be removed from the Windows side,
    // expects it untouched instead and removes it from the host side.
    static void expectLinkRemoved(const std::string& link) {
        if (!underWine()) {
            EXPECT_FALSE(exists(link));
            return;
        }
        EXPECT_TRUE(isFolderLink(link));
        runHost("/bin/rm", {hostName(link)});
        waitUntil([&] { return !exists(link); });
    }

  private:
    template <typename Function>
    static Function wineFunction(const char* name) {
        return procAddress<Function>(::GetModuleHandleA("kernel32.dll"), name);
    }

    static bool viaCreateSymbolicLink(const std::string& link, const std::string& target) {
        using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
        const auto create = wineFunction<CreateLink>("CreateSymbolicLinkA");
        constexpr DWORD kDirectory = 1;
        return create && create(link.c_str(), target.c_str(), kDirectory) && isFolderLink(link);
    }

    template <typename Condition>
    static bool waitUntil(Condition condition) {
        for (int waited = 0; waited < 300 && !condition(); ++waited) ::Sleep(100);
        return condition();
    }

    // Starts a host program under Wine. Wine gives back no process handle for a Unix program,
    // so callers wait for its effect instead.
    static bool runHost(const std::string& program, std::initializer_list<std::string> args) {
        using DosName = WCHAR*(CDECL*)(LPCSTR);
        const auto dosName = wineFunction<DosName>("wine_get_dos_file_name");
        if (!dosName) return false;
        const std::string windowsName = narrow(dosName(program.c_str()));
        if (windowsName.empty()) return false;
        std::string command = "\"" + windowsName + "\"";
        for (const std::string& arg : args) {
            if (arg.empty()) return false;
            command += " \"" + arg + "\"";
        }
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!::CreateProcessA(windowsName.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process))
            return false;
        if (process.hProcess) ::CloseHandle(process.hProcess);
        if (process.hThread) ::CloseHandle(process.hThread);
        return true;
    }

    static std::string hostName(const std::string& path) {
        using UnixName = char*(CDECL*)(LPCWSTR);
        const auto unixName = wineFunction<UnixName>("wine_get_unix_file_name");
        if (!unixName) return {};
        const std::wstring wide(path.begin(), path.end());
        char* name = unixName(wide.c_str());
        if (!name) return {};
        std::string result(name);
        ::HeapFree(::GetProcessHeap(), 0, name);
        return result;
    }

    static std::string narrow(WCHAR* wide) {
        if (!wide) return {};
        std::string result;
        for (const WCHAR* c = wide; *c; ++c) result += static_cast<char>(*c);
        ::HeapFree(::GetProcessHeap(), 0, wide);
        return result;
    }
};

TEST_F(FolderLinkTest, LinkInsideTheTreeIsNotFollowed) {
    ScratchFolder scratch;
    const std::string target = scratch / "outside";
    makeFolder(target);
    const std::string precious = writeFile(target + "\\precious.txt");
    const std::string tree = scratch / "tree\\";
    makeFolder(tree);
    const std::string own = writeFile(tree + "own.txt");
    ASSERT_TRUE(makeFolderLink(tree + "link", target)) << "no way to make a folder link here";

    deleteFolderTree(tree);

    EXPECT_TRUE(fileExists(precious));
    EXPECT_TRUE(folderExists(target));
    EXPECT_FALSE(exists(own));
    expectLinkRemoved(tree + "link");
    if (!underWine()) {
        EXPECT_FALSE(exists(tree));
    }
}

TEST_F(FolderLinkTest, TreeThatIsItselfALinkIsNotEntered) {
    ScratchFolder scratch;
    const std::string target = scratch / "outside";
    makeFolder(target);
    const std::string precious = writeFile(target + "\\precious.txt");
    const std::string link = scratch / "link";
    ASSERT_TRUE(makeFolderLink(link, target)) << "no way to make a folder link here";

    deleteFolderTree(link + "\\");

    EXPECT_TRUE(fileExists(precious));
    expectLinkRemoved(link);
}

}  // namespace
}  // namespace velumar
