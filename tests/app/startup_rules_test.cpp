#include "app/startup_rules.h"

#include <gtest/gtest.h>

namespace velumar::app {
namespace {

TEST(StartupFailureText, CodeBetweenTheFixedTexts) {
    EXPECT_EQ(startupFailureText(-531), "Installer file is corrupted. Corvana Error: -531. ");
    EXPECT_EQ(startupFailureText(5), "Installer file is corrupted. Corvana Error: 5. ");
}

TEST(Kinds, PictureFormatByExtension) {
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
