#include "manifest.h"

#include <gtest/gtest.h>

#include <string>

namespace velpack {
namespace {

const fs::path kPath = fs::path("dir") / "m.ini";

std::vector<std::string> errorsOf(const std::string& text) {
    return parseManifest(text, kPath).errors;
}

// True when some error names line `line` of the manifest and contains `part`.
bool reports(const std::vector<std::string>& errors, int line, const std::string& part) {
    const std::string where = kPath.string() + ":" + std::to_string(line) + ": ";
    for (const std::string& error : errors) {
        if (error.starts_with(where) && error.find(part) != std::string::npos) return true;
    }
    return false;
}

TEST(Manifest, ShortManifestGetsTheDefaults) {
    const ManifestLoad load = parseManifest(
        "; comment\n[Package]\r\nKind = movie\nwallpaperName = \" Aurora\"\n"
        "[slot3]\nfile = a/b.swf\n[data]\nfolder = content\n[record2]\nfile = x.txt\n"
        "[record1]\nname = main.swf\ncopy = yes\n",
        kPath);
    ASSERT_TRUE(load.manifest) << load.errors.front();
    const Manifest& manifest = *load.manifest;
    EXPECT_EQ(manifest.kind, 2);
    EXPECT_EQ(manifest.wallpaperName, " Aurora") << "quotes keep blanks";
    EXPECT_FALSE(manifest.showLicense.has_value());
    EXPECT_EQ(manifest.background, (std::array<int32_t, 3>{0, 0, 0}));
    ASSERT_TRUE(manifest.slots[3].file);
    EXPECT_EQ(manifest.slots[3].file->path, fs::path("dir") / "a/b.swf");
    EXPECT_EQ(manifest.data.folder, fs::path("dir") / "content");
    ASSERT_EQ(manifest.records.size(), 2u);
    EXPECT_EQ(manifest.records[0].name, "main.swf") << "records ordered by number";
    EXPECT_TRUE(manifest.records[0].copy);
    EXPECT_EQ(manifest.records[1].name, "x.txt") << "name defaults to the file's";
}

TEST(Manifest, ValuesAreParsed) {
    const ManifestLoad load = parseManifest(
        "[package]\nkind = 0x08\nwallpaperName = W\nbackground = 1, 2,3\nshowLicense = on\n"
        "offerDisplayProperties = TRUE\nliteralMode = ascii\ndictionarySize = 1024\n"
        "stub = project:sample-stub.exe\n[slot5]\nname = open.txt\ndestination = 10\n",
        kPath);
    ASSERT_TRUE(load.manifest) << load.errors.front();
    const Manifest& manifest = *load.manifest;
    EXPECT_EQ(manifest.kind, 8);
    EXPECT_EQ(manifest.background, (std::array<int32_t, 3>{1, 2, 3}));
    EXPECT_EQ(manifest.showLicense, true);
    EXPECT_TRUE(manifest.offerDisplayProperties);
    EXPECT_EQ(manifest.compression.mode, velumar::implode::LiteralMode::Ascii);
    EXPECT_EQ(manifest.compression.dictionary, velumar::implode::DictionarySize::Bytes1024);
    ASSERT_TRUE(manifest.stub);
    EXPECT_EQ(manifest.stub->projectName, "sample-stub.exe");
    EXPECT_EQ(manifest.slots[5].destination, 10);
}

TEST(Manifest, ErrorsNameTheFileAndLine) {
    const auto errors = errorsOf(
        "[package]\n"             // 1
        "kind = cinema\n"         // 2
        "wallpaperName = a:b\n"   // 3
        "colour = red\n"          // 4
        "background = 1, 2\n"     // 5
        "[slot11]\n"              // 6
        "[slot2]\n"               // 7
        "name = ..\n"             // 8
        "destination = 12\n"      // 9
        "compressed = maybe\n"    // 10
        "name = x\n"              // 11
        "[slot3]\n"               // 12
        "name = a\\b.swf\n"       // 13
        "[slot2]\n"               // 14
        "just text\n"             // 15
        "[record1]\n"             // 16
        "name = ..\\..\\x\n"      // 17
        "file = x\n"              // 18
        "[record110]\n"           // 19
        "[slot0]\n"               // 20
        "file = install.exe\n");  // 21
    EXPECT_TRUE(reports(errors, 2, "kind must be"));
    EXPECT_TRUE(reports(errors, 3, "wallpaperName"));
    EXPECT_TRUE(reports(errors, 4, "unknown key \"colour\""));
    EXPECT_TRUE(reports(errors, 5, "background must be three numbers"));
    EXPECT_TRUE(reports(errors, 6, "unknown section [slot11]"));
    EXPECT_TRUE(reports(errors, 8, "not a plain file name"));
    EXPECT_TRUE(reports(errors, 9, "from 0 to 10"));
    EXPECT_TRUE(reports(errors, 10, "yes or no"));
    EXPECT_TRUE(reports(errors, 11, "already set on line 8"));
    EXPECT_TRUE(reports(errors, 13, "not a plain file name"));
    EXPECT_TRUE(reports(errors, 14, "appears twice (first on line 7)"));
    EXPECT_TRUE(reports(errors, 15, "expected \"key = value\""));
    EXPECT_TRUE(reports(errors, 17, "would leave the wallpaper folder"));
    EXPECT_TRUE(reports(errors, 19, "unknown section [record110]"));
    EXPECT_TRUE(reports(errors, 21, "slot 0 is the installer stub"));
}

TEST(Manifest, NamesAreLimited) {
    const std::string longName(256, 'n');
    const auto errors = errorsOf("[package]\nkind = 1\nwallpaperName = " + std::string(65, 'w') +
                                 "\n[slot4]\nname = " + longName +
                                 "\n[record1]\nname = " + longName + "\ncopy = yes\n");
    EXPECT_TRUE(reports(errors, 3, "1 to 64 characters"));
    EXPECT_TRUE(reports(errors, 5, "at most 255"));
    EXPECT_TRUE(reports(errors, 7, "at most 255"));
}

TEST(Manifest, PackageSectionAndItsKeysAreRequired) {
    EXPECT_NE(errorsOf("[slot2]\nfile = x\n").front().find("[package] section is missing"),
              std::string::npos);
    const auto errors = errorsOf("[package]\n");
    EXPECT_TRUE(reports(errors, 1, "needs kind"));
    EXPECT_TRUE(reports(errors, 1, "needs wallpaperName"));
}

}  // namespace
}  // namespace velpack
