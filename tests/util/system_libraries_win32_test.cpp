#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "scratch_folder_win32.h"
#include "util/ascii.h"
#include "util/files_win32.h"
#include "util/paths.h"
#include "util/processes_win32.h"
#include "util/registry_win32.h"
#include "util/system_calls_win32.h"
#include "util/system_libraries.h"
#include "util/system_libraries_win32.h"

namespace velumar {
namespace {

std::string moduleFile(HMODULE module) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length);
}

bool startsWithFolder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() &&
           equalsIgnoringAsciiCase(std::string_view(path).substr(0, folder.size()), folder);
}

std::string currentFolder() {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder, length);
}

TEST(SystemLibrary, LoadsFromTheSystemFolderAndFindsItsFunctions) {
    initSystemFolders();
    SystemLibrary version("version.dll");
    ASSERT_TRUE(version.module());
    EXPECT_TRUE(startsWithFolder(moduleFile(version.module()), systemFolder()))
        << moduleFile(version.module());
    using QueryFunction = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    EXPECT_TRUE(version.function<QueryFunction>("VerQueryValueA"));
    EXPECT_FALSE(version.function<QueryFunction>("NoSuchFunction"));
}

// A library the system folder does not have is not looked for anywhere else, not even beside
// the program or in the current folder.
TEST(SystemLibrary, MissingFromTheSystemFolderIsNotLookedForElsewhere) {
    testing::ScratchFolder scratch;
    const std::string saved = currentFolder();
    ASSERT_TRUE(::CopyFileA(moduleFile(nullptr).c_str(),
                            (scratch / "velumar-elsewhere.dll").c_str(), FALSE));
    ASSERT_TRUE(::SetCurrentDirectoryA(scratch.path().c_str()));
    SystemLibrary elsewhere("velumar-elsewhere.dll");
    EXPECT_FALSE(elsewhere.module());
    using AnyFunction = void(WINAPI*)();
    EXPECT_FALSE(elsewhere.function<AnyFunction>("DllMain"));
    ::SetCurrentDirectoryA(saved.c_str());
}

TEST(SystemCalls, BoundFunctionsWork) {
    EXPECT_EQ(sys::initCommonControls(0x20 /* ICC_PROGRESS_CLASS */), TRUE);
    EXPECT_GT(
        sys::getFileVersionInfoSize(moduleFile(::GetModuleHandleA("version.dll")).c_str(), nullptr),
        0u);
    const BSTR text = sys::sysAllocStringLen(L"ocean", 5);
    ASSERT_TRUE(text);
    EXPECT_EQ(sys::sysStringLen(text), 5u);
    sys::sysFreeString(text);
    VARIANT value;
    sys::variantInit(&value);
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(sys::variantClear(&value), S_OK);
}

TEST(LoadLibrariesOnlyFromSystemFolder, CurrentFolderIsTheSystemFolderAndLibrariesAreItsOwn) {
    initSystemFolders();
    const std::string saved = currentFolder();
    loadLibrariesOnlyFromSystemFolder();
    EXPECT_TRUE(equalsIgnoringAsciiCase(withTrailingBackslash(currentFolder()), systemFolder()))
        << currentFolder();
    // Where kernel32 has it, the current folder has left the search order.
    using GetDllDirectoryFunction = DWORD(WINAPI*)(DWORD, LPSTR);
    if (const auto getDllDirectory = procAddress<GetDllDirectoryFunction>(
            ::GetModuleHandleA("kernel32.dll"), "GetDllDirectoryA")) {
        char directory[MAX_PATH + 1] = {'?'};
        EXPECT_EQ(getDllDirectory(MAX_PATH, directory), 0u);
        EXPECT_STREQ(directory, "");
    }
    int loaded = 0;
    for (const char* name : kLibrariesLoadedAtEntry) {
        if (!fileExists(systemFolder() + name)) continue;
        const HMODULE module = ::GetModuleHandleA(name);
        ASSERT_TRUE(module) << name;
        EXPECT_TRUE(startsWithFolder(moduleFile(module), systemFolder())) << moduleFile(module);
        ++loaded;
    }
    EXPECT_GE(loaded, 5);
    EXPECT_FALSE(libraryRedirectionInForce());
    ::SetCurrentDirectoryA(saved.c_str());
}

// SHDeleteKeyA's work, by hand: a whole tree, deepest first, and nothing beside it.
TEST(DeleteRegistryTree, RemovesTheKeyWithItsSubKeysAndLeavesItsSiblings) {
    const std::string root = "Software\\Velumar-test-" + std::to_string(::GetCurrentProcessId());
    for (const std::string sub : {"\\tree\\a\\b", "\\tree\\c", "\\tree-sibling"}) {
        RegistryKey key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (root + sub).c_str(), 0, nullptr, 0,
                                    KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key.get(), "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    }
    EXPECT_EQ(deleteRegistryTree(HKEY_CURRENT_USER, root + "\\tree"), ERROR_SUCCESS);
    RegistryKey probe;
    EXPECT_NE(
        ::RegOpenKeyExA(HKEY_CURRENT_USER, (root + "\\tree").c_str(), 0, KEY_READ, probe.put()),
        ERROR_SUCCESS);
    EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (root + "\\tree-sibling").c_str(), 0, KEY_READ,
                              probe.put()),
              ERROR_SUCCESS);
    probe.reset();
    // Deleting what is not there succeeds; an empty path would name the root itself.
    EXPECT_EQ(deleteRegistryTree(HKEY_CURRENT_USER, root + "\\tree"), ERROR_SUCCESS);
    EXPECT_EQ(deleteRegistryTree(HKEY_CURRENT_USER, ""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(deleteRegistryTree(HKEY_CURRENT_USER, root), ERROR_SUCCESS);
}

// The command line of a started program holds its path in quotes, whatever blanks it has, and
// it starts in the folder it is given.
TEST(StartProgram, QuotedPathAndTheGivenWorkingFolder) {
    testing::ScratchFolder scratch;
    const std::string folder = scratch / "with blank";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    const std::string program = folder + "\\cmd copy.exe";
    ASSERT_TRUE(::CopyFileA((systemFolder() + "cmd.exe").c_str(), program.c_str(), FALSE));
    const std::string record = folder + "\\record.txt";
    ASSERT_TRUE(startProgram(program, "/c cd > record.txt", folder, SW_HIDE));
    for (int waited = 0; waited < 200 && !fileExists(record); ++waited) ::Sleep(50);
    std::string text;
    for (int waited = 0; waited < 100 && text.empty(); ++waited) {
        readWholeFile(record, text);
        if (text.empty()) ::Sleep(50);
    }
    EXPECT_TRUE(startsWithFolder(text, folder)) << text;
    EXPECT_FALSE(startProgram(folder + "\\missing.exe", "", folder));
}

}  // namespace
}  // namespace velumar
