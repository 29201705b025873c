#include <gtest/gtest.h>

#include "util/windows_version.h"

namespace velumar {
namespace {

WindowsVersionFlags only(bool WindowsVersionFlags::*flag) {
    WindowsVersionFlags flags;
    flags.*flag = true;
    return flags;
}

TEST(ClassifyWindowsVersion, NinetyFiveFamily) {
    EXPECT_EQ(classifyWindowsVersion(1, 4, 0), only(&WindowsVersionFlags::windows95));
    EXPECT_EQ(classifyWindowsVersion(1, 4, 10), only(&WindowsVersionFlags::windows98));
    EXPECT_EQ(classifyWindowsVersion(1, 4, 90), only(&WindowsVersionFlags::windowsMe));
    EXPECT_EQ(classifyWindowsVersion(1, 4, 3), WindowsVersionFlags{});
    EXPECT_EQ(classifyWindowsVersion(1, 5, 0), WindowsVersionFlags{});
    EXPECT_EQ(classifyWindowsVersion(1, 3, 10), WindowsVersionFlags{});
}

TEST(ClassifyWindowsVersion, NtFamily) {
    EXPECT_EQ(classifyWindowsVersion(2, 3, 51), only(&WindowsVersionFlags::windowsNt));
    EXPECT_EQ(classifyWindowsVersion(2, 4, 0), only(&WindowsVersionFlags::windowsNt));
    EXPECT_EQ(classifyWindowsVersion(2, 5, 0), only(&WindowsVersionFlags::windows2000));
    EXPECT_EQ(classifyWindowsVersion(2, 5, 1), only(&WindowsVersionFlags::windowsXp));
    EXPECT_EQ(classifyWindowsVersion(2, 5, 2), WindowsVersionFlags{});
    EXPECT_EQ(classifyWindowsVersion(2, 6, 1), WindowsVersionFlags{});
    EXPECT_EQ(classifyWindowsVersion(2, 10, 0), WindowsVersionFlags{});
}

TEST(ClassifyWindowsVersion, OtherPlatformsSetNothing) {
    EXPECT_EQ(classifyWindowsVersion(0, 4, 0), WindowsVersionFlags{});
    EXPECT_EQ(classifyWindowsVersion(3, 5, 1), WindowsVersionFlags{});
}

TEST(ClassifyWindowsVersion, OnlyTheFirstThreeCountAsNinetyFiveFamily) {
    EXPECT_TRUE(classifyWindowsVersion(1, 4, 90).isWindows9x());
    EXPECT_TRUE(classifyWindowsVersion(1, 4, 0).isWindows9x());
    EXPECT_FALSE(classifyWindowsVersion(2, 4, 0).isWindows9x());
    EXPECT_FALSE(classifyWindowsVersion(2, 5, 1).isWindows9x());
}

}  // namespace
}  // namespace velumar
