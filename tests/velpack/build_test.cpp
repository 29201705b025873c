#include <gtest/gtest.h>

#include <map>

#include "builder.h"
#include "extract.h"
#include "inspect.h"
#include "package/byte_source.h"
#include "package/package_header.h"
#include "package/package_offset.h"
#include "stub.h"
#include "velpack_test_support.h"

namespace velpack {
namespace {

namespace package = velumar::package;
using testing::Bytes;
using testing::ProjectFiles;
using testing::TempFolder;

// What `extract` must give back for a sample manifest: extracted path ->
// input file (empty path: the project's placeholder or library).
struct SampleCase {
    const char* manifest;
    std::map<std::string, std::string> fromExamples;
};

const std::vector<SampleCase>& sampleCases() {
    static const std::vector<SampleCase> cases = {
        {"movie.ini",
         {{"installer.swf", "sample/content/aurora.swf"},
          {"license.txt", "sample/license.txt"},
          {"Velumar Aurora.html", "sample/page.html"},
          {"data/aurora.swf", "sample/content/aurora.swf"},
          {"data/media/aurora-cws.swf", "sample/content/media/aurora-cws.swf"},
          {"data/readme.txt", "sample/content/readme.txt"}}},
        {"picture.ini",
         {{"installer.bmp", "sample/preview.bmp"},
          {"Velumar Aurora.html", "sample/page.html"},
          {"data/aurora.swf", "sample/content/aurora.swf"},
          {"data/media/aurora-cws.swf", "sample/content/media/aurora-cws.swf"},
          {"data/readme.txt", "sample/content/readme.txt"}}},
        {"jpeg.ini",
         {{"installer.jpg", "sample/preview.jpg"},
          {"license.txt", "sample/license.txt"},
          {"Velumar Aurora.html", "sample/page.html"},
          {"data/aurora.swf", "sample/content/aurora.swf"},
          {"data/aurora-copy.swf", "sample/content/aurora.swf"},
          {"data/media/aurora-cws.swf", "sample/content/media/aurora-cws.swf"},
          {"data/readme.txt", "sample/content/readme.txt"}}},
        {"silent.ini",
         {{"Velumar Aurora.html", "sample/page.html"},
          {"data/aurora.swf", "sample/content/aurora.swf"},
          {"data/media/aurora-cws.swf", "sample/content/media/aurora-cws.swf"},
          {"data/readme.txt", "sample/content/readme.txt"}}},
    };
    return cases;
}

class SampleRoundTrip : public ::testing::TestWithParam<SampleCase> {
  protected:
    TempFolder temp;
    ProjectFiles project{temp / "project"};
};

TEST_P(SampleRoundTrip, BuildsReproduciblyVerifiesAndExtractsTheInputs) {
    const SampleCase& sample = GetParam();
    const fs::path manifest = testing::examplesFolder() / sample.manifest;
    const Bytes installer = testing::buildOrFail(manifest, project.options());
    ASSERT_FALSE(installer.empty());
    EXPECT_EQ(testing::buildOrFail(manifest, project.options()), installer) << "reproducible";

    const Inspection inspection = inspectInstaller(installer, std::nullopt);
    for (const std::string& problem : inspection.problems) ADD_FAILURE() << problem;
    ASSERT_TRUE(inspection.location);
    EXPECT_EQ(inspection.location->source, OffsetSource::stubRecord);

    const fs::path out = temp / "out";
    const ExtractResult extracted = extractInstaller(inspection, out);
    for (const std::string& error : extracted.errors) ADD_FAILURE() << error;

    std::map<std::string, Bytes> expected;
    for (const auto& [name, input] : sample.fromExamples) {
        expected[name] = testing::readBytes(testing::examplesFolder() / input);
    }
    expected["impborl.dat"] = project.library;
    expected["flashax.exe"] = project.placeholder;
    expected["uninstall.exe"] = project.uninstaller;
    for (const auto& [name, bytes] : expected) {
        EXPECT_EQ(testing::readBytes(out / name), bytes) << name;
    }
    // The rest: the stub (with its offset set) and the data file itself.
    std::vector<std::string> all = {"Velumar Aurora.ssd", "install.exe"};
    for (const auto& entry : expected) all.push_back(entry.first);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(testing::filesBelow(out), all);

    Bytes stub = project.stub;
    ASSERT_EQ(patchStub(stub), "");
    EXPECT_EQ(testing::readBytes(out / "install.exe"), stub);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleRoundTrip, ::testing::ValuesIn(sampleCases()),
                         [](const auto& info) {
                             std::string name = info.param.manifest;
                             return name.substr(0, name.find('.'));
                         });

class Builder : public ::testing::Test {
  protected:
    BuildResult build(const std::string& text) {
        return testing::buildText(temp.path(), text, project.options());
    }

    static bool mentions(const BuildResult& result, const std::string& part) {
        for (const std::string& error : result.errors) {
            if (error.find(part) != std::string::npos) return true;
        }
        return false;
    }

    TempFolder temp;
    ProjectFiles project{temp / "project"};
};

constexpr const char* kMinimal =
    "[package]\nkind = silent\nwallpaperName = W\n"
    "[slot2]\nfile = project:placeholder.exe\n"
    "[slot6]\nfile = page.html\n"
    "[slot9]\nfile = project:placeholder.exe\n";

TEST_F(Builder, LayoutFollowsTheShippedConventions) {
    testing::writeText(temp / "page.html", "<html></html>");
    testing::writeText(temp / "extra.txt", "extra");
    const BuildResult result = build(std::string(kMinimal) + "[slot10]\nfile = extra.txt\n");
    ASSERT_TRUE(result.ok()) << result.errors.front();
    const Bytes& installer = result.installer;

    // The installer's own reader, at the offset the stub now carries.
    package::MemorySource source(installer);
    package::PackageHeader header;
    ASSERT_EQ(package::readPackageHeader(source, testing::kSyntheticStubSize, header),
              velumar::kOk);

    EXPECT_EQ(header.kind, 4);
    EXPECT_EQ(header.wallpaperName(), "W");
    const package::PackageEntry& self = header.slot(0);
    EXPECT_EQ(self.name(), "install.exe");
    EXPECT_EQ(self.startOffset, 0);
    EXPECT_EQ(self.endOffset, int32_t(testing::kSyntheticStubSize - 1));
    EXPECT_EQ(self.destination, 6);

    int64_t next = testing::kSyntheticStubSize + package::kPackageHeaderSize;
    for (int slot = 1; slot < package::kSlotCount; ++slot) {
        const package::PackageEntry& entry = header.slot(slot);
        if (entry.empty()) {
            EXPECT_EQ(entry.startOffset, next)
                << "empty slot " << slot << " at the next stored byte";
            EXPECT_EQ(entry.endOffset, next) << slot;
            continue;
        }
        EXPECT_EQ(entry.startOffset, next) << "slot " << slot << " without a gap";
        next = int64_t(entry.endOffset) + 1;
    }
    EXPECT_EQ(next, int64_t(installer.size())) << "the last slot ends at the last byte";
    EXPECT_EQ(header.slot(1).name(), "impborl.dat");
    EXPECT_EQ(header.slot(1).destination, 3);
    EXPECT_EQ(header.slot(2).name(), "flashax.exe");
    EXPECT_EQ(header.slot(6).name(), "W.html");
    EXPECT_EQ(header.slot(6).destination, 2);
    EXPECT_EQ(header.slot(8).name(), "W.ssd");
    EXPECT_EQ(header.slot(8).destination, 4);
    EXPECT_EQ(header.slot(9).name(), "uninstall.exe");
    EXPECT_EQ(header.slot(10).name(), "extra.txt");
    EXPECT_EQ(header.slot(7).destination, 5);
}

TEST_F(Builder, EmptyLastSlotHasZeroOffsetsAndCompressedSlotsRecordBothSizes) {
    testing::writeText(temp / "page.html", std::string(3000, 'a'));
    const BuildResult packed = build(
        "[package]\nkind = silent\nwallpaperName = W\n[slot2]\nfile = project:placeholder.exe\n"
        "[slot6]\nfile = page.html\ncompressed = yes\n[slot9]\nfile = project:placeholder.exe\n");
    ASSERT_TRUE(packed.ok()) << packed.errors.front();
    const package::PackageHeader header =
        package::decodePackageHeader(std::span(packed.installer)
                                         .subspan(testing::kSyntheticStubSize)
                                         .first<package::kPackageHeaderSize>());
    const package::PackageEntry& page = header.slot(6);
    EXPECT_TRUE(page.isCompressed());
    EXPECT_EQ(page.size, 3000);
    EXPECT_EQ(page.storedSize, page.storedLength());
    EXPECT_LT(page.storedSize, 100);
    EXPECT_EQ(header.slot(10).startOffset, 0);
    EXPECT_EQ(header.slot(10).endOffset, 0);
    EXPECT_EQ(header.slot(2).storedSize, 0) << "0 for an uncompressed slot";
}

TEST_F(Builder, RefusesMissingRequiredSlots) {
    testing::writeText(temp / "page.html", "<html></html>");
    EXPECT_TRUE(mentions(build("[package]\nkind = movie\nwallpaperName = W\n[slot6]\nfile = "
                               "page.html\n[slot9]\nfile = project:placeholder.exe\n"),
                         "slot 2 (Flash player installer) is required"));
    const std::string windowKind =
        "[package]\nkind = picture\nwallpaperName = W\nshowLicense = yes\nopenAfterInstall = yes\n"
        "[slot2]\nfile = project:placeholder.exe\n[slot6]\nfile = page.html\n"
        "[slot9]\nfile = project:placeholder.exe\n";
    const BuildResult result = build(windowKind);
    EXPECT_TRUE(mentions(result, "slot 3 (preview) is required for a kind that shows a window"));
    EXPECT_TRUE(mentions(result, "slot 4 (licence text) is required because showLicense is set"));
    EXPECT_TRUE(mentions(result,
                         "slot 5 (open-after-install file) is required because "
                         "openAfterInstall is set"));
}

TEST_F(Builder, RefusesWhatWouldBreakTheInstaller) {
    testing::writeText(temp / "page.html", "<html></html>");
    testing::writeText(temp / "empty.txt", "");
    EXPECT_TRUE(
        mentions(build(std::string(kMinimal) + "[slot1]\nfile = page.html\ncompressed = yes\n"),
                 "cannot be compressed"));
    EXPECT_TRUE(mentions(build(std::string(kMinimal) + "[slot10]\nfile = empty.txt\n"),
                         "cannot store an empty file"));
    EXPECT_TRUE(mentions(build(std::string(kMinimal) + "[slot10]\nfile = project:nothere.exe\n"),
                         "cannot find the project's nothere.exe"));
    EXPECT_TRUE(
        mentions(build(std::string(kMinimal) + "[slot10]\nfile = missing.txt\n"), "cannot read"));
    EXPECT_TRUE(mentions(build(std::string(kMinimal) + "[slot7]\nname = seven.txt\n"),
                         "[slot7] names no file"));
    EXPECT_TRUE(mentions(build(std::string(kMinimal) + "[slot8]\nfile = page.html\n[data]\n"),
                         "give one or the other"));

    testing::writeBytes(temp / "bare.exe", testing::syntheticStub(0));
    BuildOptions options = project.options();
    options.stub = temp / "bare.exe";
    const BuildResult bare = testing::buildText(temp.path(), kMinimal, options);
    EXPECT_TRUE(mentions(bare, "no package offset record"));
}

TEST_F(Builder, DataFileHoldsAtMost109Records) {
    testing::writeText(temp / "page.html", "<html></html>");
    for (int i = 0; i < 109; ++i)
        testing::writeText(temp / "content" / ("f" + std::to_string(i)), "x");
    const std::string manifest = std::string(kMinimal) + "[data]\nfolder = content\n";
    const BuildResult full = build(manifest);
    ASSERT_TRUE(full.ok()) << full.errors.front();
    const Inspection inspection = inspectInstaller(full.installer, std::nullopt);
    ASSERT_TRUE(inspection.dataFile);
    EXPECT_EQ(inspection.dataFile->recordCount(), 109);

    testing::writeText(temp / "content" / "sub" / "one-more", "x");
    EXPECT_TRUE(mentions(build(manifest), "would hold 110 records; it holds at most 109"));
}

TEST_F(Builder, MovieDataKindCopiesRecordOneFromTheMovieSlot) {
    testing::writeText(temp / "page.html", "<html></html>");
    testing::writeText(temp / "movie.swf", "FWS movie bytes");
    testing::writeText(temp / "other.txt", "other");
    const auto manifest = [](const std::string& previewName) {
        return "[package]\nkind = movie\nwallpaperName = W\n[slot2]\nfile = "
               "project:placeholder.exe\n"
               "[slot3]\nfile = movie.swf\nname = " +
               previewName +
               "\n[slot6]\nfile = page.html\n"
               "[slot9]\nfile = project:placeholder.exe\n[data]\nkind = 3\n";
    };
    const std::string base = manifest("installer.swf");
    const BuildResult result = build(base +
                                     "[record1]\nname = main.swf\ncopy = yes\n"
                                     "[record2]\nname = again.swf\ncopy = yes\n"
                                     "[record3]\nfile = other.txt\n");
    ASSERT_TRUE(result.ok()) << result.errors.front();
    const Inspection inspection = inspectInstaller(result.installer, std::nullopt);
    ASSERT_TRUE(inspection.sound()) << inspection.problems.front();
    const fs::path out = temp / "out";
    ASSERT_TRUE(extractInstaller(inspection, out).errors.empty());
    EXPECT_EQ(testing::readBytes(out / "data" / "main.swf"), testing::bytesOf("FWS movie bytes"));
    EXPECT_EQ(testing::readBytes(out / "data" / "again.swf"), testing::bytesOf("FWS movie bytes"));

    EXPECT_TRUE(
        mentions(build(base + "[record1]\nfile = other.txt\n"), "make record 1 a copy record"));
    EXPECT_TRUE(mentions(build(manifest("preview.swf") + "[record1]\nname = m.swf\ncopy = yes\n"),
                         "copy of installer.swf"));
}

TEST_F(Builder, CopyRecordWithoutSourceIsRefused) {
    testing::writeText(temp / "page.html", "<html></html>");
    const BuildResult result =
        build(std::string(kMinimal) + "[record1]\nname = a.swf\ncopy = yes\n");
    EXPECT_TRUE(mentions(result, "copy of installer.swf"));
}

TEST_F(Builder, ExtractKeepsSlotsWhoseNamesCollide) {
    testing::writeText(temp / "page.html", "<html></html>");
    testing::writeText(temp / "extra.txt", "extra");
    testing::writeText(temp / "seven.txt", "seven");
    const BuildResult result = build(std::string(kMinimal) +
                                     "[slot10]\nfile = extra.txt\nname = UNINSTALL.EXE\n"
                                     "[slot7]\nfile = seven.txt\nname = data\n");
    ASSERT_TRUE(result.ok()) << result.errors.front();
    const fs::path out = temp / "out";
    ASSERT_TRUE(
        extractInstaller(inspectInstaller(result.installer, std::nullopt), out).errors.empty());
    EXPECT_EQ(testing::readBytes(out / "uninstall.exe"), project.placeholder);
    EXPECT_EQ(testing::readBytes(out / "slot10-UNINSTALL.EXE"), testing::bytesOf("extra"));
    EXPECT_EQ(testing::readBytes(out / "slot7-data"), testing::bytesOf("seven"));
}

}  // namespace
}  // namespace velpack
