#include "app/startup_rules.h"

#include <gtest/gtest.h>

namespace velumar::app {
namespace {

TEST(StartupFailureText, CodeBetweenTheFixedTexts) {
    EXPECT_EQ(startupFailureText(-531), "Installer file is corrupted. Corvana Error: -531. ");
    EXPECT_EQ(startupFailureText(5), "Installer file is corrupted. Corvana Error: 5. ");
}

TEST(WallpaperName, OrdinaryNamesAreAccepted) {
    for (const char* name :
         {"Autumn", "Autumn Wallpaper", "Velumar Aurora", "a.b", ".hidden x", "\xC4pfel"})
        EXPECT_TRUE(isAcceptableWallpaperName(name)) << name;
}

TEST(WallpaperName, NamesThatLeaveTheWallpaperRootAreRefused) {
    for (const char* name : {"", " ", "...", ". .", "..", "a..b", "..\\..\\System32", "a\\b", "a/b",
                             "C:x", "tab\there", "bell\x07", "del\x7F"})
        EXPECT_FALSE(isAcceptableWallpaperName(name)) << name;
}

TEST(Paths, WallpaperFolder) {
    EXPECT_EQ(wallpaperFolderPath("C:\\WINDOWS\\", "Autumn"),
              "C:\\WINDOWS\\Web\\Wallpaper\\Autumn dir\\");
}

TEST(Kinds, PreviewExtensionsAndKinds) {
    EXPECT_EQ(previewExtension(1), ".BMP");
    EXPECT_EQ(previewExtension(8), ".jpg");
    EXPECT_EQ(previewExtension(2), "");
    EXPECT_TRUE(isPictureKind(8));
    EXPECT_FALSE(isPictureKind(4));
    EXPECT_TRUE(isMovieKind(3));
    EXPECT_FALSE(isMovieKind(1));
    EXPECT_EQ(pictureFormatOf("x\\installer.BMP"), PictureFormat::bitmap);
    EXPECT_EQ(pictureFormatOf("x\\installer.JPG"), PictureFormat::jpeg);
    EXPECT_EQ(pictureFormatOf("x\\installer.png"), PictureFormat::unknown);
}

TEST(LicenseText, LinesEndInCrLfWhateverTheFileUsed) {
    EXPECT_EQ(licenseText("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(licenseText(""), "");
}

}  // namespace
}  // namespace velumar::app
