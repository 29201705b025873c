#include "app/startup_rules.h"

#include "app/exit_codes.h"

#include <gtest/gtest.h>

namespace velumar::app {
namespace {

TEST(StartupFailureText, CodeBetweenTheFixedTexts) {
    EXPECT_EQ(startupFailureText(-531), "Installer file is corrupted. Corvana Error: -531. ");
    EXPECT_EQ(startupFailureText(5), "Installer file is corrupted. Corvana Error: 5. ");
    EXPECT_EQ(startupFailureText(-541),
              "Installer file is corrupted. Corvana Error: -541. \r\n\r\nThe installer file was "
              "damaged on its way to this computer. Please download it again.");
}

TEST(ExitCode, SaysHowTheRunEnded) {
    EXPECT_EQ(installerExitCode(0, true, 0), kExitInstalled);
    EXPECT_EQ(installerExitCode(kInstallerDamaged, false, 0), kExitDamaged);
    EXPECT_EQ(installerExitCode(kFlashStepCancelled, false, 0), kExitCancelled);
    EXPECT_EQ(installerExitCode(-531, false, 0), kExitFailed);
    EXPECT_EQ(installerExitCode(0, false, 112), kExitFailed);   // a full disk while installing
    EXPECT_EQ(installerExitCode(0, false, 0), kExitCancelled);  // closed, or cancelled at work
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
