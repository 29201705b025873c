#include <gtest/gtest.h>

#include "util/paths.h"

namespace velumar {
namespace {

TEST(WithTrailingBackslash, AppendsOnlyWhenMissing) {
    EXPECT_EQ(withTrailingBackslash("C:\\WINDOWS"), "C:\\WINDOWS\\");
    EXPECT_EQ(withTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(withTrailingBackslash(""), "");
}

TEST(WithoutTrailingBackslash, RemovesOneOnly) {
    EXPECT_EQ(withoutTrailingBackslash("C:\\TEMP\\"), "C:\\TEMP");
    EXPECT_EQ(withoutTrailingBackslash("C:\\TEMP\\\\"), "C:\\TEMP\\");
    EXPECT_EQ(withoutTrailingBackslash("C:\\TEMP"), "C:\\TEMP");
}

TEST(ParentFolder, CutsAfterTheLastBackslashOrColon) {
    EXPECT_EQ(parentFolder("C:\\a\\b\\"), "C:\\a\\");
    EXPECT_EQ(parentFolder("C:\\a\\b"), "C:\\a\\");
    EXPECT_EQ(parentFolder("C:\\a"), "C:\\");
    EXPECT_EQ(parentFolder("C:\\"), "C:");
    EXPECT_EQ(parentFolder("C:"), "C:");
    EXPECT_EQ(parentFolder("name"), "");
    EXPECT_EQ(parentFolder(""), "");
}

TEST(QuotedCommandLine, QuotesTheProgramAndAddsArgumentsAfterOneBlank) {
    EXPECT_EQ(quotedCommandLine("C:\\WINDOWS\\Web\\Wallpaper\\Ocean dir\\uninstall.exe", "/b"),
              "\"C:\\WINDOWS\\Web\\Wallpaper\\Ocean dir\\uninstall.exe\" /b");
    EXPECT_EQ(quotedCommandLine("C:\\WINDOWS\\rundll32.exe", ""), "\"C:\\WINDOWS\\rundll32.exe\"");
}

TEST(NumberedCandidate, FirstAttemptIsTheBareName) {
    EXPECT_EQ(numberedCandidate("C:\\TEMP\\VLMR", 0), "C:\\TEMP\\VLMR");
    EXPECT_EQ(numberedCandidate("C:\\TEMP\\VLMR", 1), "C:\\TEMP\\VLMR1");
    EXPECT_EQ(numberedCandidate("C:\\TEMP\\VLMR", 999), "C:\\TEMP\\VLMR999");
}

}  // namespace
}  // namespace velumar
