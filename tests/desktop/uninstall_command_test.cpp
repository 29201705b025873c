#include <gtest/gtest.h>

#include "uninstall/uninstall_command.h"

#include <string>
#include <vector>

namespace velumar::uninstall {
namespace {

TEST(UninstallCommand, NoArgumentsAsksBackgroundExitsAtOnce) {
    EXPECT_EQ(parseCommand("").mode, Mode::ask);
    EXPECT_EQ(parseCommand("/b").mode, Mode::background);
    EXPECT_EQ(parseCommand("/B").mode, Mode::background);
    EXPECT_EQ(parseCommand("/x").mode, Mode::unknown);
}

TEST(UninstallCommand, ContinueArgumentsRoundTripWithBlanksInTheFolder) {
    const std::string folder = "C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir\\";
    const Command command = parseCommand(continueArguments(4242, folder));
    EXPECT_EQ(command.mode, Mode::removeFromCopy);
    EXPECT_EQ(command.originalProcess, 4242u);
    EXPECT_EQ(command.wallpaperFolder, folder);
    EXPECT_EQ(parseCommand("/continue 12x \"C:\\a dir\"").mode, Mode::unknown);
    EXPECT_EQ(parseCommand("/continue 12").mode, Mode::unknown);
}

TEST(UninstallCommand, ArgumentsAfterQuotedOrBareProgramName) {
    EXPECT_EQ(argumentsAfterProgram("\"C:\\a b\\uninstall.exe\" /b"), "/b");
    EXPECT_EQ(argumentsAfterProgram("C:\\WEB\\uninstall.exe  /b"), "/b");
    EXPECT_EQ(argumentsAfterProgram("C:\\WEB\\uninstall.exe"), "");
}

// The uninstall entry's string is stored without quotes and Windows hands it to the program
// exactly as written: the blanks in the path are not argument separators.
TEST(UninstallCommand, RawUnquotedUninstallStringHasNoArguments) {
    const std::string raw = "C:\\windows\\WEB\\Wallpaper\\Sea Side dir\\uninstall.exe";
    const std::vector<std::string> own = {
        "C:\\windows\\Web\\Wallpaper\\Sea Side dir\\uninstall.exe",
        "C:\\WINDOWS\\WEB\\WALLPA~1\\SEASID~1\\UNINST~1.EXE"};
    EXPECT_EQ(argumentsAfterProgram(raw, own), "");
    EXPECT_EQ(parseCommand(argumentsAfterProgram(raw, own)).mode, Mode::ask);
    EXPECT_EQ(argumentsAfterProgram(raw + " /b", own), "/b");
    // The 8.3 form Windows 95, 98 and ME store.
    EXPECT_EQ(argumentsAfterProgram("C:\\WINDOWS\\WEB\\WALLPA~1\\SEASID~1\\UNINST~1.EXE", own), "");
    // Without the program's own paths the first ".exe" ending a word ends the name.
    EXPECT_EQ(argumentsAfterProgram(raw), "");
    EXPECT_EQ(argumentsAfterProgram("C:\\A b.exe dir\\uninstall.exe /b", own),
              "dir\\uninstall.exe /b");
    EXPECT_EQ(argumentsAfterProgram("C:\\A b.exe dir\\uninstall.exe /b",
                                    std::vector<std::string>{"c:\\a B.EXE dir\\uninstall.exe"}),
              "/b");
}

TEST(UninstallCommand, OnlyAnInstalledWallpapersFolderBelongsToAWallpaper) {
    const std::string windows = "C:\\WINDOWS\\";
    EXPECT_EQ(wallpaperOfFolder("C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir\\", windows),
              "Sea Side");
    EXPECT_EQ(wallpaperOfFolder("c:\\windows\\WEB\\wallpaper\\Beach dir", "C:\\WINDOWS"), "Beach");
    for (const char* folder :
         {"C:\\X dir\\", "C:\\WINDOWS\\X dir\\", "D:\\WINDOWS\\Web\\Wallpaper\\X dir\\",
          "C:\\WINDOWS\\Web\\Wallpaper\\sub\\X dir\\", "C:\\WINDOWS\\Web\\Wallpaper\\X\\",
          "C:\\WINDOWS\\Web\\Wallpaper\\ dir\\", "C:\\WINDOWS\\Web\\Wallpaper\\nul dir\\",
          "C:\\WINDOWS\\Web\\Wallpaper\\..\\..\\X dir\\", "C:\\Temp\\VLMRU\\"}) {
        EXPECT_EQ(wallpaperOfFolder(folder, windows), std::nullopt) << folder;
    }
}

TEST(UninstallCommand, WininitGainsOneDeletionInItsRenameSection) {
    EXPECT_EQ(wininitWithDeletion("", "C:\\TEMP\\VLMRU\\UNINST~1.EXE"),
              "[rename]\r\nNUL=C:\\TEMP\\VLMRU\\UNINST~1.EXE\r\n");
    EXPECT_EQ(wininitWithDeletion("[Rename]\r\nNUL=C:\\A.TMP\r\n", "C:\\B.EXE"),
              "[Rename]\r\nNUL=C:\\B.EXE\r\nNUL=C:\\A.TMP\r\n");
    EXPECT_EQ(wininitWithDeletion("[other]\r\nx=1", "C:\\B.EXE"),
              "[other]\r\nx=1\r\n[rename]\r\nNUL=C:\\B.EXE\r\n");
    EXPECT_EQ(wininitWithDeletion("[other]\r\n [rename] \r\n", "C:\\B.EXE"),
              "[other]\r\n [rename] \r\nNUL=C:\\B.EXE\r\n");
}

}  // namespace
}  // namespace velumar::uninstall
