// The record of the user's desktop: its text both ways, its refusal of damaged files, what a
// reinstallation keeps, and what the uninstaller writes back.
#include "desktop/desktop_record.h"

#include <gtest/gtest.h>

#include <string>

namespace velumar::desktop {
namespace {

constexpr char kPage[] = "C:\\WINDOWS\\Web\\Wallpaper\\Autumn.html";

DesktopValues userDesktop() {
    DesktopValues values;
    values.activeWallpaper = "C:\\WINDOWS\\Lake.bmp";
    values.activeWallpaperStyle = "2";
    values.activeTileWallpaper = "0";
    values.classicWallpaper = "C:\\WINDOWS\\Lake.bmp";
    values.classicWallpaperStyle = "0";
    values.classicTileWallpaper = "1";
    values.background = "10 20 30";
    values.componentFlags = 0x2001;
    return values;
}

DesktopRecord userRecord() {
    return DesktopRecord{userDesktop(), "255 128 0"};
}

// The desktop as the installation left it.
DesktopValues installedDesktop() {
    DesktopValues values = userDesktop();
    values.activeWallpaper = kPage;
    values.background = "255 128 0";
    values.componentFlags = 0x0001;
    return values;
}

TEST(DesktopRecord, TextHoldsEveryValueAndReadsBackTheSame) {
    const std::optional<std::string> text = formatDesktopRecord(userRecord());
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              "[Velumar previous desktop]\r\n"
              "ActiveWallpaper=C:\\WINDOWS\\Lake.bmp\r\n"
              "ActiveWallpaperStyle=2\r\n"
              "ActiveTileWallpaper=0\r\n"
              "ClassicWallpaper=C:\\WINDOWS\\Lake.bmp\r\n"
              "ClassicWallpaperStyle=0\r\n"
              "ClassicTileWallpaper=1\r\n"
              "Background=10 20 30\r\n"
              "ComponentFlags=8193\r\n"
              "InstalledBackground=255 128 0\r\n"
              "[end]\r\n");
    EXPECT_EQ(parseDesktopRecord(*text), userRecord());
}

TEST(DesktopRecord, AbsentAndEmptyValuesStayApart) {
    DesktopRecord record;
    record.before.activeWallpaper = "";
    record.before.background = "0 0 0";
    record.installedBackground = "1 2 3";
    const std::optional<std::string> text = formatDesktopRecord(record);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              "[Velumar previous desktop]\r\nActiveWallpaper=\r\nBackground=0 0 0\r\n"
              "InstalledBackground=1 2 3\r\n[end]\r\n");
    const std::optional<DesktopRecord> read = parseDesktopRecord(*text);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->before.activeWallpaper, "");
    EXPECT_FALSE(read->before.classicWallpaper);
    EXPECT_FALSE(read->before.componentFlags);
    // A value may hold "=" and blanks: it runs to the end of its line.
    record.before.activeWallpaper = "C:\\My Pictures\\a=b .bmp";
    EXPECT_EQ(parseDesktopRecord(*formatDesktopRecord(record)), record);
}

TEST(DesktopRecord, ValueThatCannotBeOneLineIsNotRecorded) {
    DesktopRecord record = userRecord();
    record.before.activeWallpaper = "C:\\a\r\nInstalledBackground=0 0 0";
    EXPECT_FALSE(formatDesktopRecord(record));
    record.before.activeWallpaper = std::string(1025, 'a');
    EXPECT_FALSE(formatDesktopRecord(record));
    record.before.activeWallpaper = std::string("a\tb");
    EXPECT_FALSE(formatDesktopRecord(record));
}

TEST(DesktopRecord, DamagedTextIsNoRecord) {
    const std::string good = *formatDesktopRecord(userRecord());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    EXPECT_FALSE(parseDesktopRecord(""));
    EXPECT_FALSE(parseDesktopRecord("garbage"));
    // Cut short anywhere: at the end line, inside a line, after a line.
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(parseDesktopRecord(good.substr(0, length))) << length;
    EXPECT_FALSE(parseDesktopRecord(replaced("[Velumar previous desktop]", "[Velumar]")));
    EXPECT_FALSE(parseDesktopRecord(replaced("ComponentFlags=8193", "ComponentFlags=81x3")));
    EXPECT_FALSE(parseDesktopRecord(replaced("ComponentFlags=8193", "ComponentFlags=4294967296")));
    EXPECT_FALSE(parseDesktopRecord(replaced("ComponentFlags=8193", "ComponentFlags=-1")));
    EXPECT_FALSE(parseDesktopRecord(replaced("ComponentFlags=8193", "ComponentFlags=")));
    EXPECT_FALSE(parseDesktopRecord(replaced("Background=", "Colour=")));
    EXPECT_FALSE(parseDesktopRecord(replaced("Background=10 20 30", "Background 10 20 30")));
    EXPECT_FALSE(parseDesktopRecord(replaced("Background=10 20 30", "Background=10\t20 30")));
    EXPECT_FALSE(parseDesktopRecord(
        replaced("Background=10 20 30\r\n", "Background=10 20 30\r\nBackground=1 1 1\r\n")));
    EXPECT_FALSE(parseDesktopRecord(replaced("InstalledBackground=255 128 0\r\n", "")));
    EXPECT_FALSE(parseDesktopRecord(replaced("\r\n[end]", "\n[end]")));
    EXPECT_FALSE(parseDesktopRecord(good + "Background=1 1 1\r\n"));
    EXPECT_FALSE(parseDesktopRecord(good + "\r\n"));
    EXPECT_FALSE(parseDesktopRecord(std::string(20000, 'a')));
    EXPECT_TRUE(parseDesktopRecord(good));
}

TEST(DesktopRecord, ReinstallationKeepsTheFirstRecordWithTheNewColour) {
    const DesktopRecord first = userRecord();
    const std::optional<DesktopRecord> again =
        recordForInstallation(first, installedDesktop(), kPage, "1 1 1");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->before, first.before);
    EXPECT_EQ(again->installedBackground, "1 1 1");
}

TEST(DesktopRecord, FirstInstallationRecordsTheDesktopAsItIs) {
    const std::optional<DesktopRecord> record =
        recordForInstallation(std::nullopt, userDesktop(), kPage, "255 128 0");
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, userRecord());
}

TEST(DesktopRecord, NoRecordOverAnEarlierInstallationThatLeftNone) {
    DesktopValues current = installedDesktop();
    current.activeWallpaper = "c:\\windows\\web\\wallpaper\\AUTUMN.HTML";
    EXPECT_FALSE(recordForInstallation(std::nullopt, current, kPage, "255 128 0"));
}

TEST(DesktopRecord, UnchangedDesktopComesBackWhole) {
    const DesktopRestore plan = planDesktopRestore(userRecord(), installedDesktop(), kPage);
    EXPECT_TRUE(plan.wallpaper);
    EXPECT_FALSE(plan.clearWallpaper);
    EXPECT_EQ(plan.background, "10 20 30");
    EXPECT_EQ(plan.componentFlags, 0x2001u);
}

TEST(DesktopRecord, WhatTheUserChangedSinceStays) {
    DesktopValues current = installedDesktop();
    current.activeWallpaper = "C:\\WINDOWS\\Clouds.bmp";
    current.background = "5 5 5";
    current.componentFlags = 0x0003;
    const DesktopRestore plan = planDesktopRestore(userRecord(), current, kPage);
    EXPECT_FALSE(plan.wallpaper);
    EXPECT_FALSE(plan.clearWallpaper);
    EXPECT_FALSE(plan.background);
    EXPECT_FALSE(plan.componentFlags);

    // Another wallpaper, the colour as installed: the colour is still the package's.
    current.background = "255 128 0";
    EXPECT_EQ(planDesktopRestore(userRecord(), current, kPage).background, "10 20 30");
}

// The user's value comes back whatever it names (a file deleted since is still the user's
// value, never replaced by nothing); only the page itself recorded as the previous wallpaper
// (an earlier installation that left no record) is cleared.
TEST(DesktopRecord, OnlyThePageItselfAsThePreviousWallpaperClearsThePage) {
    DesktopRecord record = userRecord();
    record.before.activeWallpaper = "C:\\windows\\Bar Mine.bmp";
    DesktopRestore plan = planDesktopRestore(record, installedDesktop(), kPage);
    EXPECT_TRUE(plan.wallpaper);
    EXPECT_FALSE(plan.clearWallpaper);
    EXPECT_EQ(plan.background, "10 20 30");

    record.before.activeWallpaper = "c:\\windows\\web\\wallpaper\\autumn.HTML";
    plan = planDesktopRestore(record, installedDesktop(), kPage);
    EXPECT_FALSE(plan.wallpaper);
    EXPECT_TRUE(plan.clearWallpaper);
    EXPECT_EQ(plan.background, "10 20 30");
}

TEST(DesktopRecord, ValuesThatWereNotThereAreNotWritten) {
    DesktopRecord record;
    record.installedBackground = "255 128 0";
    const DesktopRestore plan = planDesktopRestore(record, installedDesktop(), kPage);
    EXPECT_TRUE(plan.wallpaper) << "an absent wallpaper comes back as none";
    EXPECT_FALSE(plan.background);
    EXPECT_FALSE(plan.componentFlags);
    // Flags without the bit were never changed.
    record.before.componentFlags = 0x0001;
    EXPECT_FALSE(planDesktopRestore(record, installedDesktop(), kPage).componentFlags);
}

// A failed or cancelled run gives back the desktop as it was just before its set-up.
TEST(DesktopRollback, EarlierPageComesBackAsTheWallpaperWithItsColour) {
    DesktopValues before = installedDesktop();  // an earlier installation of the same page
    before.background = "1 2 3";
    DesktopValues current = before;
    current.background = "255 128 0";
    DesktopRestore plan = planRollbackRestore(before, current, "255 128 0");
    EXPECT_TRUE(plan.wallpaper);
    EXPECT_FALSE(plan.clearWallpaper);
    EXPECT_EQ(plan.background, "1 2 3");

    plan = planRollbackRestore(userDesktop(), installedDesktop(), "255 128 0");
    EXPECT_TRUE(plan.wallpaper);
    EXPECT_EQ(plan.background, "10 20 30");
    EXPECT_EQ(plan.componentFlags, 0x2001u);

    DesktopValues none = userDesktop();
    none.activeWallpaper.reset();
    plan = planRollbackRestore(none, installedDesktop(), "255 128 0");
    EXPECT_FALSE(plan.wallpaper);
    EXPECT_TRUE(plan.clearWallpaper);
}

}  // namespace
}  // namespace velumar::desktop
