#include <gtest/gtest.h>

#include "desktop/install_paths.h"
#include "package/datafile_expand.h"

namespace velumar::desktop {
namespace {

TEST(InstallPaths, PageFolderAndUninstallerUnderWebWallpaper) {
    EXPECT_EQ(wallpaperPagePath("C:\\WINDOWS\\", "Beach"),
              "C:\\WINDOWS\\Web\\Wallpaper\\Beach.html");
    EXPECT_EQ(wallpaperFolderPath("C:\\WINDOWS\\", "Beach"),
              "C:\\WINDOWS\\Web\\Wallpaper\\Beach dir\\");
    EXPECT_EQ(uninstallerWorkingFolder("C:\\WINDOWS\\", "Beach"),
              "C:\\WINDOWS\\Web\\Wallpaper\\Beach dir");
    EXPECT_EQ(uninstallerPath("C:\\WINDOWS\\", "Beach"),
              "C:\\WINDOWS\\Web\\Wallpaper\\Beach dir\\uninstall.exe");
}

TEST(InstallPaths, UninstallEntryTexts) {
    EXPECT_EQ(uninstallKeyPath("Beach"),
              "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Beach");
    EXPECT_EQ(uninstallString("C:\\WINDOWS\\", "Sea Side"),
              "C:\\WINDOWS\\WEB\\Wallpaper\\Sea Side dir\\uninstall.exe");
    EXPECT_EQ(uninstallCommand("C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir\\uninstall.exe", false),
              "\"C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir\\uninstall.exe\"");
    EXPECT_EQ(uninstallCommand("C:\\WINDOWS\\WEB\\WALLPA~1\\SEASID~1\\UNINST~1.EXE", true),
              "C:\\WINDOWS\\WEB\\WALLPA~1\\SEASID~1\\UNINST~1.EXE");
    EXPECT_EQ(uninstallCommand("C:\\MY WIN\\WEB\\WALLPA~1\\SEASID~1\\UNINST~1.EXE", true),
              "\"C:\\MY WIN\\WEB\\WALLPA~1\\SEASID~1\\UNINST~1.EXE\"");
    EXPECT_TRUE(namesOneUninstallKey("Beach"));
    EXPECT_FALSE(namesOneUninstallKey(""));
    EXPECT_FALSE(namesOneUninstallKey("a\\b"));
}

// The entry is ours when it names our uninstaller however it was written: quoted or, as
// before, not; another letter case; the short form. Anything else is another program's.
TEST(InstallPaths, UninstallEntryOwner) {
    const std::string own[] = {"C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir\\uninstall.exe",
                               "C:\\WINDOWS\\WEB\\WALLPA~1\\SEASID~1\\UNINST~1.EXE"};
    const auto owner = [&](std::optional<std::string> command) {
        return entryOwner(true, command, own);
    };
    EXPECT_EQ(entryOwner(false, std::nullopt, own), EntryOwner::none);
    EXPECT_EQ(owner("\"C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir\\uninstall.exe\""),
              EntryOwner::ours);
    EXPECT_EQ(owner("C:\\WINDOWS\\WEB\\Wallpaper\\Sea Side dir\\uninstall.exe"), EntryOwner::ours);
    EXPECT_EQ(owner("c:\\windows\\web\\wallpa~1\\seasid~1\\uninst~1.exe"), EntryOwner::ours);
    EXPECT_EQ(owner("\"C:\\Program Files\\Sea Side\\uninst.exe\" /x"), EntryOwner::foreign);
    EXPECT_EQ(owner("C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir\\uninstall.exe /x"),
              EntryOwner::foreign);
    EXPECT_EQ(owner(std::nullopt), EntryOwner::foreign);
    EXPECT_EQ(owner(""), EntryOwner::foreign);
    EXPECT_EQ(uninstallProgram("\"C:\\a b\\u.exe\" /b"), "C:\\a b\\u.exe");
    EXPECT_EQ(uninstallProgram("\"C:\\unclosed"), "C:\\unclosed");
}

TEST(InstallPaths, BackgroundColourHasSingleBlanksAndSigns) {
    EXPECT_EQ(backgroundColourText(255, 128, 0), "255 128 0");
    EXPECT_EQ(backgroundColourText(-1, 0, 7), "-1 0 7");
}

TEST(InstallPaths, ComponentFlagsLoseOnlyBit2000) {
    EXPECT_EQ(componentFlagsToWrite(0x2001), 0x0001u);
    EXPECT_EQ(componentFlagsToWrite(0x0001), std::nullopt);
    EXPECT_EQ(componentFlagsToWrite(0xFFFFFFFF), 0xFFFFDFFFu);
}

TEST(InstallPaths, QuestionsAndCommandLine) {
    EXPECT_EQ(overwriteQuestion("Beach"), "Beach wallpaper already exists.  Overwrite?");
    EXPECT_EQ(displayPropertiesProgram("C:\\WINDOWS\\SYSTEM32"),
              "C:\\WINDOWS\\SYSTEM32\\rundll32.exe");
    EXPECT_EQ(displayPropertiesProgram("C:\\WINDOWS\\"), "C:\\WINDOWS\\rundll32.exe");
    EXPECT_EQ(removeQuestion("Beach"), "Remove the Beach Wallpaper?");
    EXPECT_EQ(removeQuestion("Ocean WallPaper"), "Remove the Ocean WallPaper?");
}

TEST(InstallPaths, WallpaperNameFromItsFolder) {
    EXPECT_EQ(wallpaperNameFromFolder("C:\\W\\Web\\Wallpaper\\Beach dir\\"), "Beach");
    EXPECT_EQ(wallpaperNameFromFolder("C:\\W\\Web\\Wallpaper\\Beach dir"), "Beach");
    EXPECT_EQ(wallpaperNameFromFolder("C:\\W\\Web\\Wallpaper\\ dir"), std::nullopt);
    EXPECT_EQ(wallpaperNameFromFolder("C:\\Temp\\VLMR1\\"), std::nullopt);
    EXPECT_TRUE(samePathText("C:\\WINDOWS\\a.html", "c:\\windows\\A.HTML"));
    EXPECT_FALSE(samePathText("C:\\a", "C:\\b"));
}

TEST(DataFileMessages, ExactWording) {
    using namespace package;
    EXPECT_EQ(alreadyInUseMessage(), "Corvana Error: Velumar data file already in use.");
    EXPECT_EQ(openingFailedMessage("C:\\x.ssd", 100),
              "Problem opening Velumar data file.\r\n\r\nFile: C:\\x.ssd\r\n\r\n100");
    EXPECT_EQ(readingFailedMessage("Access is denied"),
              "Corvana Error: Problem reading Velumar data file. Access is denied");
    EXPECT_EQ(closingFailedMessage("Bad"), "Problem closing file.\r\n\r\nFile: \r\nBad");
}

TEST(DataFileChecks, ReaderFindingsBecomeTheInstallersCodesAndMessages) {
    using namespace package;
    using P = DataFileProblem;
    const auto failure = [](P problem, int record = 0, int32_t code = 0) {
        return dataFileFailure(DataFileCheck{problem, record, code, {}});
    };
    EXPECT_EQ(failure(P::readFailed, 0, 5).code, 5);
    EXPECT_EQ(failure(P::readFailed, 0, 5).message, DataFileMessage::opening);
    EXPECT_EQ(failure(P::readFailed, 2, 5).message, DataFileMessage::reading);
    EXPECT_EQ(failure(P::headerTruncated).code, kShortBlockRead);
    EXPECT_EQ(failure(P::tableTruncated).message, DataFileMessage::opening);
    EXPECT_EQ(failure(P::tooManyRecords).code, kRecordCountOutOfRange);
    EXPECT_EQ(failure(P::unsafeRecordName, 1).code, kRecordNameUnsafe);
    EXPECT_EQ(failure(P::unsafeRecordName, 1).message, DataFileMessage::recordName);
    for (P problem : {P::blockOutsideFile, P::negativeBlockSize, P::storedBytesOutsideFile}) {
        EXPECT_EQ(failure(problem, 1).code, kShortBlockRead);
        EXPECT_EQ(failure(problem, 1).message, DataFileMessage::reading);
    }
    EXPECT_EQ(failure(P::badWallpaperName).code, kDataFileOtherWallpaper);
    EXPECT_EQ(failure(P::otherWallpaperName).message, DataFileMessage::opening);
    EXPECT_EQ(failure(P::noMemory).code, kNoMemory);
    EXPECT_EQ(failure(P::noMemory).message, DataFileMessage::none);

    // 100 and 101 are the short read and write, not the system's semaphore texts.
    EXPECT_EQ(readingErrorText(100, "Cannot create another system semaphore"), "Disk read error");
    EXPECT_EQ(readingErrorText(101, "x"), "Disk write error");
    EXPECT_EQ(readingErrorText(5, "Access is denied"), "Access is denied");
    EXPECT_EQ(folderPart("C:\\w\\media\\clip.swf"), "C:\\w\\media\\");
    EXPECT_EQ(folderPart("clip.swf"), "");
}

}  // namespace
}  // namespace velumar::desktop
