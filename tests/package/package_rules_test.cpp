#include "package/package_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "name_cases.h"
#include "package/data_file.h"
#include "package/package_header.h"

namespace velumar::package {
namespace {

using velumar::testing::nameCases;

// The installer's own verdicts: start-up's wallpaper name check, the slot destinations of
// extraction and the data file reader all follow the list.
TEST(PackageRules, InstallerVerdictsFollowTheSharedList) {
    for (const auto& c : nameCases()) {
        EXPECT_EQ(isValidFileName(c.name), c.fileName) << c.name;
        EXPECT_EQ(isValidWallpaperName(c.name), c.wallpaperName()) << c.name;

        PackageEntry entry;
        // Short enough that the folder and name fit the file functions' paths.
        if (c.name.size() < 200 && entry.setName(c.name)) {
            entry.destination = destinations::wallpaperFiles;
            EXPECT_EQ(
                destinationPath(entry, "C:\\W\\", "C:\\W\\Web\\Wallpaper\\x dir\\").has_value(),
                c.fileName)
                << c.name;
        }

        std::vector<uint8_t> bytes;
        ASSERT_TRUE(writeDataFile("x", 1, {}, bytes).ok());
        DataFileHeader header;
        std::copy_n(bytes.begin(), header.bytes.size(), header.bytes.begin());
        header.setRecordCount(1);
        DataRecord record;
        record.setType(kCopyRecordType);
        if (c.name.empty() || !record.setName(c.name)) continue;
        bytes.assign(header.bytes.begin(), header.bytes.end());
        bytes.insert(bytes.end(), record.bytes.begin(), record.bytes.end());
        MemorySource source(bytes);
        DataFile file;
        EXPECT_EQ(readDataFile(source, file).ok(), c.recordName) << c.name;
    }
}

TEST(PackageRules, RelativePathsAreFileNamesJoinedBySeparators) {
    EXPECT_TRUE(isValidRelativePath("media\\clip.swf"));
    EXPECT_TRUE(isValidRelativePath("a/b\\c.txt"));
    for (std::string_view path :
         {"", "..\\..\\x", "a\\..\\b", "\\abs", "/abs", "C:\\x", "a\\\\b", "a\\", "a\\.\\b",
          "...\\x", "media\\aux\\clip.swf", "media\\nul.txt", "dir.\\x", "d \\x", "a\\*.swf"}) {
        EXPECT_FALSE(isValidRelativePath(path)) << path;
    }
    EXPECT_FALSE(isValidRelativePath(std::string(128, 'a') + "\\" + std::string(127, 'b')));
}

TEST(PackageRules, JoinInsideRefusesWhatLeavesTheFolderOrIsTooLong) {
    EXPECT_EQ(joinInside("C:\\W\\x dir\\", "media\\a.swf"), "C:\\W\\x dir\\media\\a.swf");
    EXPECT_EQ(joinInside("C:\\W\\", "..\\..\\..\\win.ini"), std::nullopt);
    EXPECT_EQ(joinInside("C:\\W\\", "NUL"), std::nullopt);
    EXPECT_EQ(joinInside("C:\\W\\", ""), std::nullopt);
    const std::string folder = "C:\\" + std::string(200, 'f') + "\\";
    EXPECT_TRUE(joinInside(folder, std::string(259 - folder.size(), 'n')).has_value());
    EXPECT_EQ(joinInside(folder, std::string(260 - folder.size(), 'n')), std::nullopt);
}

TEST(PackageRules, PreviewIsRenamedForThePictureKindsOnly) {
    EXPECT_EQ(previewName(1, "installer.jpg"), "installer.BMP");
    EXPECT_EQ(previewName(8, "preview"), "preview.jpg");
    EXPECT_EQ(previewName(2, "installer.swf"), "installer.swf");
    EXPECT_EQ(previewName(1, std::string(254, 'p')), std::string(254, 'p') + ".");
    EXPECT_TRUE(isPictureKind(8));
    EXPECT_FALSE(isPictureKind(4));
    EXPECT_TRUE(isMovieKind(3));
    EXPECT_FALSE(isMovieKind(1));

    PackageHeader header;
    header.kind = 1;
    header.slot(slots::preview).setName("installer.jpg");
    renamePreview(header);
    EXPECT_EQ(header.slot(slots::preview).name(), "installer.BMP");
}

TEST(PackageRules, SlotsWrittenAndRequiredFollowKindAndFlags) {
    PackageHeader header;
    header.kind = uint8_t(InstallerKind::silent);
    EXPECT_EQ(installEntrySlots(header), (std::vector<int>{6, 8, 9}));
    for (int slot : {1, 2, 6, 8, 9}) EXPECT_TRUE(slotIsRequired(header, slot)) << slot;
    for (int slot : {0, 3, 4, 5, 7, 10}) EXPECT_FALSE(slotIsWritten(header, slot)) << slot;

    header.kind = uint8_t(InstallerKind::picture);
    header.showLicense = 1;
    header.openAfterInstall = 1;
    header.slot(slots::extra).setName("extra.txt");
    EXPECT_EQ(installEntrySlots(header), (std::vector<int>{5, 6, 8, 9, 10}));
    for (int slot : {3, 4, 5}) EXPECT_TRUE(slotIsRequired(header, slot)) << slot;
    EXPECT_TRUE(slotIsWritten(header, slots::extra));
    EXPECT_FALSE(slotIsRequired(header, slots::extra));
    EXPECT_FALSE(slotIsWritten(header, slots::unused));
}

}  // namespace
}  // namespace velumar::package
