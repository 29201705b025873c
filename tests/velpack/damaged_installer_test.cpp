// Installers damaged in the ways the tool must survive: cut short, with an
// offset past the end, with too many data records, with a record name that
// climbs out of the wallpaper folder. Each must be reported, and extraction
// must write nothing outside its folder.
#include <gtest/gtest.h>

#include "../package/name_cases.h"
#include "extract.h"
#include "inspect.h"
#include "listing.h"
#include "package/byte_io.h"
#include "package/integrity.h"
#include "package/package_header.h"
#include "package/package_offset.h"
#include "package/package_rules.h"
#include "stub.h"
#include "velpack_test_support.h"

namespace velpack {
namespace {

namespace package = velumar::package;
using testing::Bytes;
using testing::TempFolder;

class DamagedInstaller : public ::testing::Test {
  protected:
    void SetUp() override {
        installer =
            testing::buildOrFail(testing::examplesFolder() / "picture.ini", project.options());
        ASSERT_FALSE(installer.empty());
    }

    package::PackageHeader header() const {
        return package::decodePackageHeader(std::span<const uint8_t>(installer)
                                                .subspan(testing::kSyntheticStubSize)
                                                .first<package::kPackageHeaderSize>());
    }

    size_t dataFileAt() const {
        const package::PackageEntry& data = header().slot(package::slots::dataFile);
        EXPECT_FALSE(data.isCompressed()) << "the picture sample stores its data file as it is";
        return static_cast<size_t>(data.startOffset);
    }

    // Inspects `bytes`, expects a problem containing `part`, extracts into a
    // fresh sandbox and checks that nothing landed outside the target folder.
    void expectRejected(const Bytes& bytes, const std::string& part,
                        std::optional<uint64_t> offset = std::nullopt) {
        const Inspection inspection = inspectInstaller(bytes, offset);
        ASSERT_FALSE(inspection.sound());
        bool found = part.empty();
        for (const std::string& problem : inspection.problems) {
            found = found || problem.find(part) != std::string::npos;
        }
        EXPECT_TRUE(found) << "no problem mentions \"" << part
                           << "\"; first: " << inspection.problems.front();
        const TempFolder sandbox;
        extractInstaller(inspection, sandbox / "out");
        for (const std::string& file : testing::filesBelow(sandbox.path())) {
            EXPECT_TRUE(file.starts_with("out/")) << file << " written outside the folder";
        }
    }

    TempFolder temp;
    testing::ProjectFiles project{temp / "project"};
    Bytes installer;
};

TEST_F(DamagedInstaller, CutAtEveryThousandthByte) {
    ASSERT_TRUE(inspectInstaller(installer, std::nullopt).sound());
    for (size_t size = 1000; size < installer.size(); size += 1000) {
        SCOPED_TRACE("cut at " + std::to_string(size));
        expectRejected(Bytes(installer.begin(), installer.begin() + size), "");
    }
}

TEST_F(DamagedInstaller, HeaderOffsetPastTheEnd) {
    expectRejected(installer, "runs past the end of the file", installer.size() + 10);

    Bytes bytes = installer;
    const size_t recordAt = findOffsetRecords(bytes).at(0);
    package::storeI32(bytes, recordAt + package::kPackageOffsetValueOffset,
                      int32_t(bytes.size() + 1));
    expectRejected(bytes, "points outside the file");
}

TEST_F(DamagedInstaller, SlotRangePastTheEnd) {
    Bytes bytes = installer;
    const size_t uninstallerAt =
        testing::kSyntheticStubSize + package::kPackageHeadSize + 9 * package::kPackageEntrySize;
    package::storeI32(bytes, uninstallerAt + 260, int32_t(bytes.size()));
    expectRejected(bytes, "slot 9 (uninstaller): its stored bytes");
}

TEST_F(DamagedInstaller, RecordCountOf110) {
    Bytes bytes = installer;
    package::storeI32(bytes, dataFileAt() + 212, 110);
    expectRejected(bytes, "the record count is over 109");
}

TEST_F(DamagedInstaller, RecordNamedUpTwoFolders) {
    Bytes bytes = installer;
    const size_t nameAt = dataFileAt() + package::kDataFileHeaderSize + 2;
    const std::string name = "..\\..\\x";
    std::copy(name.begin(), name.end() + 1, bytes.begin() + nameAt);
    expectRejected(bytes, "record 1: the name is not a file name inside the wallpaper folder");
}

TEST_F(DamagedInstaller, SlotNamedUpTwoFolders) {
    Bytes bytes = installer;
    package::PackageHeader changed = header();
    changed.slot(9).setName("..\\..\\x");
    const package::PackageHeaderBytes encoded = package::encodePackageHeader(changed);
    std::copy(encoded.begin(), encoded.end(), bytes.begin() + testing::kSyntheticStubSize);
    expectRejected(bytes, "is not a file name the installer writes");
}

bool mentions(const Inspection& inspection, const std::string& part) {
    for (const std::string& problem : inspection.problems) {
        if (problem.find(part) != std::string::npos) return true;
    }
    return false;
}

// The installer's integrity record, as the tool reads it: damage that no other check sees, a
// download cut short, and what is not damage (an appendix such as a signature, no record).
TEST_F(DamagedInstaller, IntegrityRecordTellsOfDamageAnywhere) {
    const Inspection sound = inspectInstaller(installer, std::nullopt);
    ASSERT_TRUE(sound.integrity);
    EXPECT_EQ(sound.integrity->verdict, package::IntegrityVerdict::sound);
    EXPECT_NE(listingText(sound, "x.exe")
                  .find("integrity     " + std::to_string(installer.size()) + " bytes, CRC-32 0x"),
              std::string::npos);

    Bytes uninstaller = installer;
    const package::PackageEntry& slot9 = header().slot(package::slots::uninstaller);
    uninstaller[static_cast<size_t>(slot9.startOffset + slot9.storedLength() / 2)] ^= 1;
    expectRejected(uninstaller, "the installer is damaged: the CRC-32 of its first " +
                                    std::to_string(installer.size()) + " bytes is 0x");
    expectRejected(uninstaller, "where no other check reads");

    const Bytes cut(installer.begin(), installer.end() - 4096);
    expectRejected(cut, "the installer is cut short: its integrity record says " +
                            std::to_string(installer.size()) + " bytes, the file has " +
                            std::to_string(cut.size()) + "; ");
    expectRejected(cut, "slot 9 (uninstaller)");

    Bytes signedLater = installer;
    signedLater.insert(signedLater.end(), 1024, 0x30);
    EXPECT_TRUE(inspectInstaller(signedLater, std::nullopt).sound());

    Bytes unrecorded = installer;
    unrecorded[0x200] ^= 1;
    std::fill_n(unrecorded.begin() + testing::kSyntheticStubSize + 8, 8, 0);
    const Inspection old = inspectInstaller(unrecorded, std::nullopt);
    EXPECT_TRUE(old.sound());
    EXPECT_EQ(old.integrity->verdict, package::IntegrityVerdict::noRecord);
    EXPECT_NE(listingText(old, "x.exe").find("integrity     none"), std::string::npos);
    EXPECT_NE(listingJson(old, "x.exe").find("\"integrity\": null"), std::string::npos);
}

// `velpack verify` gives every name of the shared list the installer's verdict: as the
// wallpaper name, as a slot name and as a data record name.
TEST_F(DamagedInstaller, VerifyAgreesWithTheInstallerOnEveryName) {
    ASSERT_TRUE(inspectInstaller(installer, std::nullopt).sound());
    const size_t recordNameAt = dataFileAt() + package::kDataFileHeaderSize + 2;
    for (const auto& c : velumar::testing::nameCases()) {
        package::PackageHeader changed = header();
        if (changed.setWallpaperName(c.name)) {
            Bytes bytes = installer;
            const package::PackageHeaderBytes encoded = package::encodePackageHeader(changed);
            std::copy(encoded.begin(), encoded.end(), bytes.begin() + testing::kSyntheticStubSize);
            EXPECT_EQ(mentions(inspectInstaller(bytes, std::nullopt), "the wallpaper name \""),
                      !package::isValidWallpaperName(c.name))
                << c.name;
            EXPECT_EQ(package::isValidWallpaperName(c.name), c.wallpaperName()) << c.name;
        }
        changed = header();
        // Short enough that the folder and name fit the file functions' paths.
        if (!c.name.empty() && c.name.size() < 200 && changed.slot(9).setName(c.name)) {
            Bytes bytes = installer;
            const package::PackageHeaderBytes encoded = package::encodePackageHeader(changed);
            std::copy(encoded.begin(), encoded.end(), bytes.begin() + testing::kSyntheticStubSize);
            EXPECT_EQ(mentions(inspectInstaller(bytes, std::nullopt), "slot 9"), !c.fileName)
                << c.name;
        }
        if (!c.name.empty() && c.name.size() <= package::kRecordNameMax) {
            Bytes bytes = installer;
            std::fill_n(bytes.begin() + recordNameAt, package::kRecordNameWidth, 0);
            std::copy(c.name.begin(), c.name.end(), bytes.begin() + recordNameAt);
            EXPECT_EQ(mentions(inspectInstaller(bytes, std::nullopt), "record 1: the name"),
                      !c.recordName)
                << c.name;
        }
    }
}

}  // namespace
}  // namespace velpack
