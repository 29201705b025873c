// The record a reinstall writes beside the earlier installation it sets aside: its text both
// ways, the aside names, and its refusal of anything that is not exactly a record (the file
// lies in Web\Wallpaper\, where a damaged or planted one must move and delete nothing).
#include "desktop/earlier_installation.h"

#include <gtest/gtest.h>

#include <string>

namespace velumar::desktop {
namespace {

constexpr char kRoot[] = "C:\\WINDOWS\\Web\\Wallpaper\\";

TEST(EarlierInstallation, AsideNamesStayBesideTheInstallationAndNumberFromTheSecond) {
    EXPECT_EQ(asideFolderPath(kRoot, "Sea Side", 1),
              "C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir.old");
    EXPECT_EQ(asidePagePath(kRoot, "Sea Side", 1),
              "C:\\WINDOWS\\Web\\Wallpaper\\Sea Side.html.old");
    EXPECT_EQ(asideRecordPath(kRoot, "Sea Side", 1),
              "C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir.old.ini");
    EXPECT_EQ(asideFolderPath(kRoot, "Sea Side", 2),
              "C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir.old2");
    EXPECT_EQ(asidePagePath(kRoot, "Sea Side", 100),
              "C:\\WINDOWS\\Web\\Wallpaper\\Sea Side.html.old100");
}

TEST(EarlierInstallation, RecordReadsBackAsWritten) {
    const EarlierInstallation aside{"Sea Side", 2, true, false, false};
    const std::string text = formatEarlierInstallation(aside);
    EXPECT_EQ(text,
              "[Velumar earlier installation]\r\nWallpaper=Sea Side\r\nNumber=2\r\nFolder=yes\r\n"
              "Page=no\r\nState=aside\r\n[end]\r\n");
    EXPECT_EQ(parseEarlierInstallation(text), aside);
    const EarlierInstallation installed{"Sea Side", 1, false, true, true};
    EXPECT_EQ(parseEarlierInstallation(formatEarlierInstallation(installed)), installed);
}

TEST(EarlierInstallation, AnythingButAWholeRecordIsNoRecord) {
    const std::string good = formatEarlierInstallation({"Beach", 1, true, true, false});
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string damaged[] = {
        good.substr(0, good.size() - 2),                    // the last line cut short
        good.substr(0, good.find("[end]")),                 // no end
        replaced("[Velumar earlier installation]", "[x]"),  // another heading
        replaced("Number=1", "Number=0"),                   // out of range
        replaced("Number=1", "Number=101"),
        replaced("Number=1", "Number=01"),  // a leading zero
        replaced("Number=1", "Number=1x"),
        replaced("Folder=yes", "Folder=YES"),
        replaced("State=aside", "State=done"),
        replaced("Wallpaper=Beach", "Wallpaper=..\\..\\Beach"),  // not a wallpaper name
        replaced("Wallpaper=Beach", "Wallpaper="),
        replaced("Page=yes\r\n", ""),                 // a key missing
        replaced("Page=yes", "Page=yes\r\nPage=no"),  // a key twice
        replaced("Page=yes", "Colour=red"),           // an unknown key
        replaced("\r\n", "\n"),                       // another line end
        good + "extra\r\n",                           // after the end
        good + std::string(600, 'x'),                 // longer than a record
    };
    for (const std::string& text : damaged) EXPECT_FALSE(parseEarlierInstallation(text)) << text;
}

}  // namespace
}  // namespace velumar::desktop
