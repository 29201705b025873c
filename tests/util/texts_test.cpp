#include <gtest/gtest.h>

#include "util/error_text.h"
#include "util/wallpaper_text.h"

namespace velumar {
namespace {

TEST(ContainsText, IgnoresTheCaseOfAsciiLettersOnly) {
    EXPECT_TRUE(containsText("Autumn WallPaper", "wallpaper"));
    EXPECT_TRUE(containsText("autumn", "AUTUMN"));
    EXPECT_FALSE(containsText("Autumn", "autumns"));
    // A-umlaut and a-umlaut in Windows-1252 are different bytes and stay so.
    EXPECT_FALSE(containsText("\xC4pfel", "\xE4pfel"));
    EXPECT_TRUE(containsText("\xC4pfel", "\xC4PFEL"));
}

TEST(ContainsText, EmptyPartIsFoundEverywhere) {
    EXPECT_TRUE(containsText("", ""));
    EXPECT_TRUE(containsText("Autumn", ""));
    EXPECT_FALSE(containsText("", "a"));
}

TEST(InstallCaption, ShortFormWhenTheNameMentionsAWallpaper) {
    EXPECT_EQ(installCaption("Autumn Wallpaper"), "Install: Autumn Wallpaper");
    EXPECT_EQ(installCaption("Autumn WallPaper"), "Install: Autumn WallPaper");
    EXPECT_EQ(installCaption("WALLPAPERS of Spring"), "Install: WALLPAPERS of Spring");
}

TEST(InstallCaption, LongFormOtherwise) {
    EXPECT_EQ(installCaption("Autumn"), "Install Wallpaper: Autumn");
    EXPECT_EQ(installCaption("Wall paper"), "Install Wallpaper: Wall paper");
    EXPECT_EQ(installCaption(""), "Install Wallpaper: ");
}

TEST(WallpaperDisplayName, AddsTheWordOnlyWhenMissing) {
    EXPECT_EQ(wallpaperDisplayName("Autumn"), "Autumn Wallpaper");
    EXPECT_EQ(wallpaperDisplayName("Autumn wallpaper"), "Autumn wallpaper");
    EXPECT_EQ(wallpaperDisplayName("MyWALLPAPER"), "MyWALLPAPER");
}

TEST(TrimSystemErrorText, DropsFinalStopsBlanksAndLineBreaks) {
    EXPECT_EQ(trimSystemErrorText("Access is denied.\r\n"), "Access is denied");
    EXPECT_EQ(trimSystemErrorText("The data is invalid. \t.\r\n"), "The data is invalid");
    EXPECT_EQ(trimSystemErrorText("Keeps inner. stops"), "Keeps inner. stops");
    EXPECT_EQ(trimSystemErrorText(". \r\n"), "");
    EXPECT_EQ(trimSystemErrorText(""), "");
}

TEST(TrimSystemErrorText, KeepsLettersAbove127) {
    // A final e-acute (0xE9) is text, not noise, even though it is negative as a signed char.
    EXPECT_EQ(trimSystemErrorText("Acc\xE8s refus\xE9.\r\n"), "Acc\xE8s refus\xE9");
}

}  // namespace
}  // namespace velumar
