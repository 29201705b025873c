#include <gtest/gtest.h>

#include "util/paths.h"

#include "util/created_files.h"

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

// A temporary folder's name: the base and eight hex digits of a value in which every bit of
// every part counts, so that knowing most of the parts (the time, the process id) is no help.
TEST(TemporaryFolderName, EightHexDigitsOfAValueThatDependsOnEveryPart) {
    EXPECT_EQ(randomFolderName("VLMR", 0x00ABCDEFul), "VLMR00abcdef");
    const unsigned long parts[] = {12345, 678, 0, 0xFFFFFFFFul};
    const unsigned long base = mixedValue(parts, 4);
    int differentBits = 0;
    for (int part = 0; part < 4; ++part) {
        for (int bit = 0; bit < 32; ++bit) {
            unsigned long changed[4] = {parts[0], parts[1], parts[2], parts[3]};
            changed[part] ^= 1ul << bit;
            const unsigned long value = mixedValue(changed, 4);
            EXPECT_NE(value, base) << part << " " << bit;
            for (unsigned long d = value ^ base; d; d &= d - 1) ++differentBits;
        }
    }
    // About half the output bits change with each input bit.
    EXPECT_GT(differentBits, 128 * 12);
    EXPECT_LT(differentBits, 128 * 20);
}

TEST(QuotedCommandLine, QuotesTheProgramAndAddsArgumentsAfterOneBlank) {
    EXPECT_EQ(quotedCommandLine("C:\\WINDOWS\\Web\\Wallpaper\\Ocean dir\\uninstall.exe", "/b"),
              "\"C:\\WINDOWS\\Web\\Wallpaper\\Ocean dir\\uninstall.exe\" /b");
    EXPECT_EQ(quotedCommandLine("C:\\WINDOWS\\rundll32.exe", ""), "\"C:\\WINDOWS\\rundll32.exe\"");
}

}  // namespace
}  // namespace velumar
