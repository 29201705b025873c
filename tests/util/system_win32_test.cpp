#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "scratch_folder_win32.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/windows_version_win32.h"

namespace velumar {
namespace {

std::string rawSystemText(DWORD code) {
    char buffer[256] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, buffer, sizeof buffer, nullptr);
    return std::string(buffer, length);
}

std::string ownPath() {
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

TEST(SystemErrorText, AccessDeniedWithoutFinalStopAndLineBreak) {
    const std::string raw = rawSystemText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(raw.empty());
    const std::string text = systemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(raw.compare(0, text.size(), text), 0) << raw;
    EXPECT_NE(text.back(), '.');
    EXPECT_GE(static_cast<unsigned char>(text.back()), '!');
    EXPECT_EQ(raw.find_first_not_of(". \r\n\t", text.size()), std::string::npos) << raw;
}

TEST(LastErrorCode, TheSystemsCodeAndNeverZero) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(lastErrorCode(), ERROR_ACCESS_DENIED);
    // A call that failed without setting the last error still reads as a failure.
    ::SetLastError(0);
    EXPECT_NE(lastErrorCode(), 0);
    EXPECT_GT(lastErrorCode(), 0);
}

TEST(SystemErrorText, NegativeCodesHaveNoText) {
    EXPECT_EQ(systemErrorText(-531), "");
    EXPECT_EQ(systemErrorText(-35), "");
}

TEST(SystemErrorText, UnknownCodeHasNoText) {
    EXPECT_EQ(systemErrorText(0x3FFFFFFF), "");
}

TEST(SystemErrorText, MessageWithAnInsertIsSafe) {
    // 193 reads "%1 is not a valid Win32 application." on Windows.
    EXPECT_FALSE(systemErrorText(ERROR_BAD_EXE_FORMAT).empty());
}

TEST(SystemFolders, EndInBackslashAndExist) {
    initSystemFolders();
    ASSERT_FALSE(windowsFolder().empty());
    ASSERT_FALSE(systemFolder().empty());
    EXPECT_EQ(windowsFolder().back(), '\\');
    EXPECT_EQ(systemFolder().back(), '\\');
    EXPECT_TRUE(folderExists(windowsFolder()));
    EXPECT_TRUE(folderExists(systemFolder()));
}

TEST(WindowsFolderFromEnvironment, AppendsBackslashToWindir) {
    char saved[MAX_PATH + 1] = {};
    ::GetEnvironmentVariableA("WINDIR", saved, sizeof saved);
    ::SetEnvironmentVariableA("WINDIR", "D:\\WINNT");
    EXPECT_EQ(windowsFolderFromEnvironment(), "D:\\WINNT\\");
    ::SetEnvironmentVariableA("WINDIR", "D:\\WINNT\\");
    EXPECT_EQ(windowsFolderFromEnvironment(), "D:\\WINNT\\");
    ::SetEnvironmentVariableA("WINDIR", nullptr);
    initSystemFolders();
    EXPECT_EQ(windowsFolderFromEnvironment(), windowsFolder());
    ::SetEnvironmentVariableA("WINDIR", "");
    EXPECT_EQ(windowsFolderFromEnvironment(), windowsFolder());
    ::SetEnvironmentVariableA("WINDIR", saved);
}

TEST(ReadFileVersion, MajorAndThirdField) {
    int major = 0;
    int third = 0;
    EXPECT_TRUE(readFileVersion(ownPath(), major, third));
    EXPECT_EQ(major, 6);
    EXPECT_EQ(third, 47);
}

TEST(ReadFileVersion, FileWithoutVersionLeavesTheVariables) {
    testing::ScratchFolder scratch;
    int major = -1;
    int third = -2;
    EXPECT_FALSE(readFileVersion(testing::writeFile(scratch / "plain.txt"), major, third));
    EXPECT_FALSE(readFileVersion(scratch / "absent.dll", major, third));
    EXPECT_EQ(major, -1);
    EXPECT_EQ(third, -2);
}

TEST(WindowsVersionFlags, MatchTheSystemsOwnAnswer) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(::GetVersionExA(&info));
    EXPECT_EQ(windowsVersionFlags(),
              classifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion));
}

}  // namespace
}  // namespace velumar
