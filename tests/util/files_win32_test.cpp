#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "folder_links_win32.h"
#include "scratch_folder_win32.h"
#include "util/created_files.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/private_folder_win32.h"

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
    EXPECT_EQ(deleteFileQuiet(file), kFileBusy);
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

// The base name and eight hex digits, another name on every call, never a folder or file
// that was there.
TEST(MakeTempFolder, NamesCannotBeGuessedAndNothingThereIsReused) {
    ScratchFolder scratch;
    const std::string temp(scratch.path(), 0, scratch.path().size() - 1);
    ScopedEnvironment environment("TEMP", temp.c_str());
    writeFile(scratch / "VLMR");
    std::vector<std::string> made;
    for (int i = 0; i < 20; ++i) {
        const std::string folder = makeTempFolder("VLMR");
        ASSERT_EQ(folder.size(), scratch.path().size() + 4 + 8 + 1) << folder;
        EXPECT_EQ(folder.rfind(scratch / "VLMR", 0), 0u);
        EXPECT_EQ(folder.find_first_not_of("0123456789abcdef", scratch.path().size() + 4),
                  folder.size() - 1);
        EXPECT_TRUE(folderExists(folder));
        EXPECT_EQ(std::count(made.begin(), made.end(), folder), 0);
        made.push_back(folder);
    }
    EXPECT_TRUE(fileExists(scratch / "VLMR"));
}

TEST(MakeTempFolder, EmptyTempFallsBackToTheSystemTemporaryPath) {
    ScratchFolder scratch;
    // GetTempPathA looks at TMP before TEMP.
    ScopedEnvironment tmp("TMP", scratch.path().c_str());
    ScopedEnvironment temp("TEMP", "");
    EXPECT_EQ(makeTempFolder("VLMR").rfind(scratch / "VLMR", 0), 0u);
}

// On Windows NT the folder is made with a descriptor that lets in only the user, the
// Administrators and SYSTEM, and that TEMP's own inheritable permissions do not widen. (Wine
// keeps no descriptor on its files: the folder's own is read back as Unix permissions, so the
// test reads the descriptor the folder is made with.)
TEST(MakeTempFolder, OnWindowsNtOnlyTheUserAdministratorsAndSystemMayUseIt) {
    if (::GetVersion() & 0x80000000u) GTEST_SKIP() << "Windows 95, 98 and ME have no permissions";
    PrivateFolderSecurity security;
    ASSERT_TRUE(security.attributes());
    const PSECURITY_DESCRIPTOR descriptor = security.attributes()->lpSecurityDescriptor;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted));
    ASSERT_TRUE(present && acl);
    std::vector<std::string> who;
    for (DWORD index = 0; index < acl->AceCount; ++index) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(acl, index, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        const PSID sid = &ace->SidStart;
        const SID_IDENTIFIER_AUTHORITY* authority = ::GetSidIdentifierAuthority(sid);
        std::string text = "S-1-" + std::to_string(authority->Value[5]);
        for (BYTE i = 0; i < *::GetSidSubAuthorityCount(sid); ++i)
            text += "-" + std::to_string(*::GetSidSubAuthority(sid, i));
        who.push_back(text);
    }
    ASSERT_EQ(who.size(), 3u) << ::testing::PrintToString(who);
    EXPECT_EQ(who[0].rfind("S-1-5-21-", 0), 0u) << "the user";
    EXPECT_EQ(who[1], "S-1-5-32-544");
    EXPECT_EQ(who[2], "S-1-5-18");

    ScratchFolder scratch;
    ScopedEnvironment environment("TEMP", scratch.path().c_str());
    EXPECT_FALSE(makeTempFolder("VLMR").empty()) << "the system takes the descriptor";
}

// What a run records is removed, last made first; anything else found there stays, and nothing
// behind a folder that has become a link is touched.
TEST(CreatedFiles, RemovesWhatWasRecordedAndLeavesTheRest) {
    ScratchFolder scratch;
    const std::string folder = scratch / "VLMRx\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA((folder + "startup").c_str(), nullptr);
    CreatedFiles made;
    made.folder(folder);
    made.file(writeFile(folder + "temp.dat"));
    made.folder(folder + "startup\\");
    made.file(writeFile(folder + "startup\\installer.BMP"));
    made.removeAll();
    EXPECT_FALSE(exists(folder));

    ::CreateDirectoryA(folder.c_str(), nullptr);
    made.folder(folder);
    made.file(writeFile(folder + "temp.dat"));
    writeFile(folder + "planted.dll");
    made.removeAll();
    EXPECT_FALSE(exists(folder + "temp.dat"));
    EXPECT_TRUE(exists(folder + "planted.dll"));
    EXPECT_TRUE(made.files().empty());
}

TEST(MakeTempFolder, GivesUpWhenNothingCanBeCreated) {
    ScratchFolder scratch;
    const std::string missing = scratch / "no\\such\\folder";
    ScopedEnvironment environment("TEMP", missing.c_str());
    EXPECT_EQ(makeTempFolder("VLMR"), "");
    EXPECT_FALSE(exists(scratch / "no"));
}

// Folder links (folder_links_win32.h): made with the host's ln under Wine.
class FolderLinkTest : public ::testing::Test {
  protected:
    static bool makeFolderLink(const std::string& link, const std::string& target) {
        return testing::makeFolderLink(link, target);
    }
    static bool isFolderLink(const std::string& path) { return testing::isFolderLink(path); }
    static bool underWine() { return testing::underWine(); }

    // Expects the link gone; under Wine, where it cannot be removed from the Windows side,
    // expects it untouched instead and removes it from the host side.
    static void expectLinkRemoved(const std::string& link) {
        if (!underWine()) {
            EXPECT_FALSE(exists(link));
            return;
        }
        EXPECT_TRUE(isFolderLink(link));
        testing::removeFolderLink(link);
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

// A recorded folder swapped for a link before the run's end: the files recorded in it are not
// deleted through the link, and the link stays (it was not recorded).
TEST_F(FolderLinkTest, RecordedFolderThatBecameALinkIsNotFollowed) {
    ScratchFolder scratch;
    const std::string target = scratch / "outside";
    makeFolder(target);
    const std::string precious = writeFile(target + "\\temp.dat");
    const std::string folder = scratch / "VLMRx";
    CreatedFiles made;
    made.folder(folder);
    made.file(folder + "\\temp.dat");
    ASSERT_TRUE(makeFolderLink(folder, target)) << "no way to make a folder link here";

    made.removeAll();

    EXPECT_TRUE(fileExists(precious));
    EXPECT_TRUE(isFolderLink(folder));
    testing::removeFolderLink(folder);
}

}  // namespace
}  // namespace velumar
