#include "package/package_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace velumar::package {
namespace {

constexpr std::string_view kWindows = "C:\\WINDOWS\\";
constexpr std::string_view kWallpaper = "C:\\WINDOWS\\Web\\Wallpaper\\Aurora dir\\";

PackageEntry entryNamed(std::string_view name, int32_t destination) {
    PackageEntry entry;
    EXPECT_TRUE(entry.setName(name));
    entry.destination = destination;
    return entry;
}

PackageHeaderBytes randomHeaderBytes(unsigned seed) {
    std::mt19937 random(seed);
    PackageHeaderBytes bytes;
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

int32_t loadLe(const PackageHeaderBytes& bytes, size_t at) {
    return int32_t(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 |
                   uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24);
}

// A source that fails every read with an operating-system code.
class FailingSource final : public ByteSource {
  public:
    int32_t readAt(uint64_t, std::span<uint8_t>, size_t& got) noexcept override {
        got = 0;
        return 5;
    }
    int32_t size(uint64_t& bytes) noexcept override {
        bytes = 0;
        return 5;
    }
};

TEST(PackageHeaderName, OnlyLengthCharactersCountAndStaleTextIsIgnored) {
    PackageHeaderBytes bytes{};
    const std::string stale = "installer.jpgSTALE-TEXT-FROM-AN-EARLIER-LONGER-NAME";
    const size_t nameAt = kPackageHeadSize + 3 * kPackageEntrySize;
    bytes[nameAt] = 13;
    std::memcpy(&bytes[nameAt + 1], stale.data(), stale.size());

    const PackageHeader header = decodePackageHeader(bytes);

    EXPECT_EQ(header.slot(3).name(), "installer.jpg");
    EXPECT_FALSE(header.slot(3).empty());
    EXPECT_TRUE(header.slot(4).empty());
    EXPECT_EQ(encodePackageHeader(header), bytes) << "stale bytes are carried, not dropped";
}

TEST(PackageHeaderName, WallpaperNameEndsAtNulOrAfterSixtyFourCharacters) {
    PackageHeaderBytes bytes{};
    const std::string full(64, 'w');
    std::memcpy(&bytes[30], full.data(), 64);
    bytes[94] = 'X';  // the reserved bytes after the field are not part of the name
    EXPECT_EQ(decodePackageHeader(bytes).wallpaperName(), full);

    bytes[30 + 10] = 0;
    EXPECT_EQ(decodePackageHeader(bytes).wallpaperName(), std::string(10, 'w'));
}

TEST(PackageHeaderName, SettersRefuseWhatTheFieldsCannotHold) {
    PackageEntry entry;
    EXPECT_TRUE(entry.setName(std::string(255, 'n')));
    EXPECT_FALSE(entry.setName(std::string(256, 'n')));
    EXPECT_EQ(entry.name().size(), 255u);

    PackageHeader header;
    EXPECT_TRUE(header.setWallpaperName(std::string(64, 'a')));
    EXPECT_FALSE(header.setWallpaperName(std::string(65, 'a')));
    EXPECT_EQ(header.wallpaperName().size(), 64u);
}

TEST(PackageHeaderLayout, FieldsSitAtTheirOffsets) {
    PackageHeader header;
    header.kind = 8;
    header.showLicense = 1;
    header.openAfterInstall = 2;
    header.backgroundRed = 0x11223344;
    header.backgroundGreen = -2;
    header.backgroundBlue = 255;
    header.offerDisplayProperties = 1;
    header.setWallpaperName("Aurora");
    PackageEntry& last = header.slot(10);
    last.setName("extra.txt");
    last.startOffset = 0x01020304;
    last.endOffset = 0x05060708;
    last.destination = 10;
    last.compressed = 1;
    last.storedSize = 77;
    last.size = 99;

    const PackageHeaderBytes bytes = encodePackageHeader(header);

    EXPECT_EQ(bytes[0], 8);
    EXPECT_EQ(bytes[1], 1);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(loadLe(bytes, 16), 0x11223344);
    EXPECT_EQ(bytes[16], 0x44) << "little-endian";
    EXPECT_EQ(loadLe(bytes, 20), -2);
    EXPECT_EQ(loadLe(bytes, 24), 255);
    EXPECT_EQ(bytes[29], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[30]), 6), "Aurora");
    const size_t at = kPackageHeadSize + 10 * kPackageEntrySize;
    EXPECT_EQ(at + kPackageEntrySize, kPackageHeaderSize);
    EXPECT_EQ(bytes[at], 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[at + 1]), 9), "extra.txt");
    EXPECT_EQ(loadLe(bytes, at + 256), 0x01020304);
    EXPECT_EQ(loadLe(bytes, at + 260), 0x05060708);
    EXPECT_EQ(loadLe(bytes, at + 264), 10);
    EXPECT_EQ(bytes[at + 268], 1);
    EXPECT_EQ(loadLe(bytes, at + 272), 77);
    EXPECT_EQ(loadLe(bytes, at + 276), 99);
}

TEST(PackageHeaderLayout, AnyBytesSurviveDecodeAndEncode) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const PackageHeaderBytes bytes = randomHeaderBytes(seed);
        EXPECT_EQ(encodePackageHeader(decodePackageHeader(bytes)), bytes) << "seed " << seed;
    }
}

TEST(PackageHeaderLayout, WrittenHeaderReadsBackEqual) {
    PackageHeader header = decodePackageHeader(randomHeaderBytes(99));
    header.slot(6).setName("Aurora.html");
    header.slot(6).destination = 2;
    EXPECT_EQ(decodePackageHeader(encodePackageHeader(header)), header);
}

TEST(PackageHeaderEntry, StartEqualToEndStoresOneByte) {
    PackageEntry entry;
    entry.startOffset = 5000;
    entry.endOffset = 5000;
    EXPECT_EQ(entry.storedLength(), 1);
    entry.startOffset = INT32_MIN;
    entry.endOffset = INT32_MAX;
    EXPECT_EQ(entry.storedLength(), int64_t(UINT32_MAX) + 1) << "computed without overflow";
}

TEST(ReadPackageHeader, ReadsAtThePackageOffset) {
    const PackageHeaderBytes header = randomHeaderBytes(7);
    std::vector<uint8_t> file(1000, 0xCC);
    file.insert(file.end(), header.begin(), header.end());
    MemorySource source(file);

    PackageHeader read;
    ASSERT_EQ(readPackageHeader(source, 1000, read), kOk);
    EXPECT_EQ(encodePackageHeader(read), header);
}

TEST(ReadPackageHeader, FewerBytesThanTheHeaderIsMinus31AndLeavesTheRecord) {
    std::vector<uint8_t> file(1000 + kPackageHeaderSize - 1, 0xCC);
    MemorySource source(file);
    PackageHeader read;
    read.kind = 42;
    EXPECT_EQ(readPackageHeader(source, 1000, read), kShortHeader);
    EXPECT_EQ(readPackageHeader(source, 5000, read), kShortHeader) << "offset past the end";
    EXPECT_EQ(read.kind, 42);
}

TEST(ReadPackageHeader, SourceFailureGivesItsSystemCode) {
    FailingSource source;
    PackageHeader read;
    EXPECT_EQ(readPackageHeader(source, 0, read), 5);
}

TEST(DestinationRule, WallpaperFolderValues) {
    for (int32_t value : {1, 4, 5, 6, 10}) {
        EXPECT_EQ(destinationPath(entryNamed("clip.swf", value), kWindows, kWallpaper),
                  std::string(kWallpaper) + "clip.swf")
            << value;
    }
}

TEST(DestinationRule, ValueTwoIsTheWallpaperRoot) {
    EXPECT_EQ(destinationPath(entryNamed("Aurora.html", 2), kWindows, kWallpaper),
              "C:\\WINDOWS\\Web\\Wallpaper\\Aurora.html");
}

TEST(DestinationRule, ValueThreeKeepsOnlyTheExactFlashInstallerName) {
    EXPECT_EQ(destinationPath(entryNamed("flashax.exe", 3), kWindows, kWallpaper),
              "C:\\WINDOWS\\flashax.exe");
    EXPECT_EQ(destinationPath(entryNamed("impborl.dat", 3), kWindows, kWallpaper),
              "C:\\WINDOWS\\impborl.dll");
    EXPECT_EQ(destinationPath(entryNamed("FLASHAX.EXE", 3), kWindows, kWallpaper),
              "C:\\WINDOWS\\FLASHAX.dll");
    EXPECT_EQ(destinationPath(entryNamed("impborl", 3), kWindows, kWallpaper),
              "C:\\WINDOWS\\impborl.dll");
    EXPECT_EQ(destinationPath(entryNamed("a.b.c", 3), kWindows, kWallpaper),
              "C:\\WINDOWS\\a.b.dll");
}

TEST(DestinationRule, OtherValuesHaveNoDestination) {
    for (int32_t value : {0, 7, 8, 9, 11, -1, INT32_MIN}) {
        EXPECT_EQ(destinationPath(entryNamed("x.txt", value), kWindows, kWallpaper), std::nullopt)
            << value;
    }
}

TEST(DestinationRule, NamesThatWouldLeaveTheirFolderHaveNoDestination) {
    for (std::string_view name : {"..\\..\\x", "..", "...", ".", "a\\b", "a/b", "C:x", "x:stream",
                                  "\\x", "bad\tname", "bell\x07", ""}) {
        for (int32_t value : {1, 2, 3}) {
            EXPECT_EQ(destinationPath(entryNamed(name, value), kWindows, kWallpaper), std::nullopt)
                << "'" << name << "' destination " << value;
        }
    }
    EXPECT_TRUE(destinationPath(entryNamed("..dat", 3), kWindows, kWallpaper).has_value());
}

TEST(ReplaceExtension, ReplacesTheLastExtensionOrAppends) {
    EXPECT_EQ(replaceExtension("installer.jpg", ".BMP"), "installer.BMP");
    EXPECT_EQ(replaceExtension("preview", ".jpg"), "preview.jpg");
    EXPECT_EQ(replaceExtension("a.b.c", ".jpg"), "a.b.jpg");
}

}  // namespace
}  // namespace velumar::package
