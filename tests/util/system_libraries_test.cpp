#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string_view>

#include "util/system_libraries.h"
#include "util/windows_version.h"

namespace velumar {
namespace {

// Each library comes after those it imports, so that its imports are found loaded already.
TEST(LibrariesLoadedAtEntry, EachAfterTheLibrariesItImports) {
    const auto position = [](std::string_view name) {
        return std::find(kLibrariesLoadedAtEntry.begin(), kLibrariesLoadedAtEntry.end(), name) -
               kLibrariesLoadedAtEntry.begin();
    };
    const std::set<std::string_view> names(kLibrariesLoadedAtEntry.begin(),
                                           kLibrariesLoadedAtEntry.end());
    EXPECT_EQ(names.size(), kLibrariesLoadedAtEntry.size());
    EXPECT_LT(position("shlwapi.dll"), position("shell32.dll"));
    EXPECT_LT(position("comctl32.dll"), position("shell32.dll"));
    EXPECT_LT(position("imm32.dll"), position("comctl32.dll"));
    EXPECT_LT(position("uxtheme.dll"), position("comctl32.dll"));
    EXPECT_LT(position("ole32.dll"), position("oleaut32.dll"));
    EXPECT_LT(position("oleaut32.dll"), position("oleacc.dll"));
    EXPECT_LT(position("oleaut32.dll"), position("clbcatq.dll"));
    for (const char* bound :
         {"version.dll", "comctl32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll"}) {
        EXPECT_TRUE(names.contains(bound)) << bound;
    }
}

TEST(DotLocalRedirects, FromNinetyEightToXpBeforeServicePack2) {
    EXPECT_FALSE(dotLocalRedirects(kPlatformWin32Windows, 4, 0, 0));  // 95
    EXPECT_TRUE(dotLocalRedirects(kPlatformWin32Windows, 4, 10, 0));  // 98 (and 98 SE)
    EXPECT_TRUE(dotLocalRedirects(kPlatformWin32Windows, 4, 90, 0));  // ME
    EXPECT_FALSE(dotLocalRedirects(kPlatformWin32Nt, 4, 0, 6));       // NT 4
    EXPECT_TRUE(dotLocalRedirects(kPlatformWin32Nt, 5, 0, 4));        // 2000 SP4
    EXPECT_TRUE(dotLocalRedirects(kPlatformWin32Nt, 5, 1, 0));        // XP
    EXPECT_TRUE(dotLocalRedirects(kPlatformWin32Nt, 5, 1, 1));        // XP SP1
    EXPECT_FALSE(dotLocalRedirects(kPlatformWin32Nt, 5, 1, 2));       // XP SP2: the manifest
    EXPECT_FALSE(dotLocalRedirects(kPlatformWin32Nt, 5, 2, 0));       // Server 2003
    EXPECT_FALSE(dotLocalRedirects(kPlatformWin32Nt, 6, 1, 1));       // 7
}

}  // namespace
}  // namespace velumar
