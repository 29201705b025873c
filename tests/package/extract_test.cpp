#include "package/extract.h"

#include <gtest/gtest.h>

namespace velumar::package {
namespace {

TEST(InstallErrorMessage, FourFormsToTheCharacter) {
    EXPECT_EQ(
        installErrorMessage(kPackageCopyFailed, "C:\\TEMP\\VLMR\\temp.dat", "Access is denied"),
        "Installation Error: C:\\TEMP\\VLMR\\temp.datAccess is denied\r\n\r\nRetry "
        "installation. If this message reappears, contact your system administrator to "
        "change your user privileges.");
    EXPECT_EQ(installErrorMessage(kWallpaperBusy, "C:\\x.scr", ""),
              "Installation Error: Wallpaper file is busy.\r\n\r\nPlease close the Display "
              "Properties control panel and try again.");
    EXPECT_EQ(installErrorMessage(kFileBusy, "C:\\WINDOWS\\flashax.exe", ""),
              "Installation Error:  File is busy and cannot be replaced. Please close any other "
              "application that may be using this file and try again.\r\n\r\nFile: "
              "C:\\WINDOWS\\flashax.exe");
    EXPECT_EQ(installErrorMessage(5, "C:\\a.txt", "Access is denied"),
              "Installation Error: Access is denied\r\n\r\nProblem with file C:\\a.txt. ");
}

TEST(InstallErrorMessage, ForeignUninstallEntryNamesTheEntry) {
    EXPECT_EQ(installErrorMessage(kForeignUninstallEntry, "Ocean", ""),
              "Installation Error: The list of installed programs has an entry \"Ocean\" that "
              "belongs to another program. The wallpaper was not installed, and that entry was "
              "left as it is.");
}

TEST(InstallErrorMessage, EmptySlotShowsTheEmptyPath) {
    EXPECT_EQ(installErrorMessage(kEmptySlot, "", ""),
              "Installation Error: \r\n\r\nProblem with file . ");
}

TEST(DestinationExtensions, LibraryIsExactlyLowerCaseDll) {
    EXPECT_TRUE(isLibraryDestination("C:\\WINDOWS\\impborl.dll"));
    EXPECT_FALSE(isLibraryDestination("C:\\WINDOWS\\IMPBORL.DLL"));
    EXPECT_FALSE(isLibraryDestination("C:\\WINDOWS\\impborl.dll.txt"));
    EXPECT_FALSE(isLibraryDestination("C:\\WINDOWS\\dll"));
}

TEST(DestinationExtensions, ScreenSaverIgnoresCase) {
    EXPECT_TRUE(isScreenSaverDestination("C:\\a\\Aurora.scr"));
    EXPECT_TRUE(isScreenSaverDestination("C:\\a\\Aurora.SCR"));
    EXPECT_FALSE(isScreenSaverDestination("C:\\a\\Aurora.scrx"));
    EXPECT_FALSE(isScreenSaverDestination("C:\\a\\scr"));
}

PackageEntry entryWithRange(int32_t start, int32_t end) {
    PackageEntry entry;
    entry.setName("a.txt");
    entry.startOffset = start;
    entry.endOffset = end;
    return entry;
}

TEST(StoredRange, InsideTheFileIsAccepted) {
    EXPECT_EQ(checkStoredRange(entryWithRange(10, 10), 11), kOk);  // one byte, the last
    EXPECT_EQ(checkStoredRange(entryWithRange(0, 99), 100), kOk);
}

TEST(StoredRange, ReversedNegativeOrOutsideRangesAreShortEntries) {
    EXPECT_EQ(checkStoredRange(entryWithRange(10, 9), 100), kShortEntry);
    EXPECT_EQ(checkStoredRange(entryWithRange(50, -2147483647 - 1), 100), kShortEntry);
    EXPECT_EQ(checkStoredRange(entryWithRange(-5, 10), 100), kShortEntry);
    EXPECT_EQ(checkStoredRange(entryWithRange(0, 100), 100), kShortEntry);
    EXPECT_EQ(checkStoredRange(entryWithRange(0, 2147483647), 100), kShortEntry);
}

}  // namespace
}  // namespace velumar::package
