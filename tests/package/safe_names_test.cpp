#include "package/safe_names.h"

#include <gtest/gtest.h>

#include <string>

namespace velumar::package {
namespace {

TEST(SafeNames, FileNamesStayInTheirFolder) {
    for (std::string_view name : {"install.exe", "a", ".hidden", "..dat", "name with blanks.txt",
                                  "\xE9t\xE9.txt", "CON", "trailing."}) {
        EXPECT_TRUE(isSafeFileName(name)) << name;
    }
    for (std::string_view name : std::initializer_list<std::string_view>{
             "", ".", "..", "....", "a\\b", "a/b", "c:", "x:y", "\\", "nl\n",
             std::string_view("nul\0x", 5), "del\x7F"}) {
        EXPECT_FALSE(isSafeFileName(name)) << name;
    }
}

TEST(SafeNames, RelativePathsStayInTheirFolder) {
    EXPECT_TRUE(isSafeRelativePath("media\\clip.swf"));
    EXPECT_TRUE(isSafeRelativePath("a/b\\c.txt"));
    for (std::string_view path : {"", "..\\..\\x", "a\\..\\b", "\\abs", "/abs", "C:\\x", "a\\\\b",
                                  "a\\", "a\\.\\b", "...\\x"}) {
        EXPECT_FALSE(isSafeRelativePath(path)) << path;
    }
}

TEST(SafeNames, PortableNamesAreAcceptedByWindowsAsTheyAre) {
    EXPECT_TRUE(isPortableFileName("Aurora.html"));
    EXPECT_TRUE(isPortableFileName("CONSOLE.txt"));
    EXPECT_TRUE(isPortableFileName("COM0"));
    for (std::string_view name : {"a*b", "a?b", "a<b", "a>b", "a|b", "a\"b", "dot.", "blank ",
                                  "con", "Nul.txt", "LPT1", "com9.log", ".."}) {
        EXPECT_FALSE(isPortableFileName(name)) << name;
    }
    EXPECT_TRUE(isPortableRelativePath("media\\clip.swf"));
    EXPECT_FALSE(isPortableRelativePath("media\\aux\\clip.swf"));
}

TEST(SafeNames, WallpaperNameIsAFolderNameOfAtMost64Characters) {
    EXPECT_TRUE(isValidWallpaperName("Northern Lights"));
    EXPECT_TRUE(isValidWallpaperName(std::string(64, 'w')));
    EXPECT_FALSE(isValidWallpaperName(std::string(65, 'w')));
    EXPECT_FALSE(isValidWallpaperName(""));
    EXPECT_FALSE(isValidWallpaperName("..\\..\\SYSTEM"));
    EXPECT_FALSE(isValidWallpaperName("a:b"));
}

}  // namespace
}  // namespace velumar::package
