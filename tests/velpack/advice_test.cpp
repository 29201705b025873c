// What build and verify tell an author about a package's content: each finding on a package
// made to show it, none on the sample, and --json and --strict on the command line.
#include <gtest/gtest.h>

#include <sstream>

#include "advice.h"
#include "cli.h"
#include "inspect.h"
#include "velpack_test_support.h"

namespace velpack {
namespace {

using testing::Bytes;
using testing::ProjectFiles;
using testing::TempFolder;

Bytes sampleFile(const std::string& path) {
    return testing::readBytes(testing::examplesFolder() / "sample" / path);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class PackageAdvice : public ::testing::Test {
  protected:
    PackageAdvice() {
        testing::writeBytes(temp / "movie.swf", sampleFile("content/aurora.swf"));
        testing::writeBytes(temp / "preview.bmp", sampleFile("preview.bmp"));
        testing::writeBytes(temp / "preview.jpg", sampleFile("preview.jpg"));
        testing::writeText(temp / "license.txt", "Use it well.\r\n");
        testing::writeBytes(temp / "content/wave.swf", sampleFile("content/aurora.swf"));
        writePage("<embed src=\"Wave%20dir/wave.swf\">");
    }

    void writePage(const std::string& body) {
        testing::writeText(temp / "page.html", "<html><body>" + body + "</body></html>\n");
    }

    std::string manifest(const std::string& kind, const std::string& preview) const {
        return "[package]\nkind = " + kind + "\nwallpaperName = Wave\n" +
               "[slot2]\nfile = project:flashax.exe\n[slot3]\nfile = " + preview +
               "\n[slot4]\nfile = license.txt\n[slot6]\nfile = page.html\n"
               "[slot9]\nfile = project:uninstall.exe\n[data]\nfolder = content\n";
    }

    Advice adviceFor(const std::string& kind, const std::string& preview) {
        const BuildResult built =
            testing::buildText(temp.path(), manifest(kind, preview), project.options(), "w.ini");
        EXPECT_TRUE(built.ok()) << joined(built.errors);
        return adviseOn(inspectInstaller(built.installer, std::nullopt));
    }

    Advice movieAdvice() { return adviceFor("movie", "movie.swf"); }

    TempFolder temp;
    ProjectFiles project{temp / "project"};
};

TEST_F(PackageAdvice, SoundPackagesGiveNoLine) {
    for (const char* name : {"movie.ini", "picture.ini", "jpeg.ini", "silent.ini"}) {
        const Bytes installer =
            testing::buildOrFail(testing::examplesFolder() / name, project.options());
        const Advice advice = adviseOn(inspectInstaller(installer, std::nullopt));
        EXPECT_TRUE(advice.empty()) << name << "\n"
                                    << joined(advice.errors) << joined(advice.warnings);
    }
    EXPECT_TRUE(movieAdvice().empty());
    EXPECT_TRUE(adviceFor("picture", "preview.bmp").empty());
    EXPECT_TRUE(adviceFor("jpeg", "preview.jpg").empty());
}

TEST_F(PackageAdvice, PreviewMovieThePanelDoesNotPlayIsAWhiteBox) {
    Bytes movie = sampleFile("content/aurora.swf");
    movie[3] = 7;
    testing::writeBytes(temp / "movie.swf", movie);
    const Advice advice = movieAdvice();
    ASSERT_EQ(advice.warnings.size(), 1u);
    EXPECT_TRUE(advice.errors.empty());
    EXPECT_EQ(advice.warnings[0],
              "preview movie \"installer.swf\" is version 7: the installer's preview plays "
              "versions 3 to 6 only, so it shows a white box instead; save the preview for "
              "version 6 or earlier, or use a picture");

    testing::writeText(temp / "movie.swf", "GIF89a");
    EXPECT_NE(joined(movieAdvice().warnings).find("is not a Flash movie"), std::string::npos);
}

TEST_F(PackageAdvice, CompressedPreviewThatDoesNotExpandIsAnError) {
    Bytes movie = sampleFile("content/media/aurora-cws.swf");
    for (size_t i = 10; i < movie.size(); ++i) movie[i] ^= 0x5A;
    testing::writeBytes(temp / "movie.swf", movie);
    const Advice advice = movieAdvice();
    ASSERT_EQ(advice.errors.size(), 1u) << joined(advice.warnings);
    EXPECT_TRUE(advice.errors[0].starts_with(
        "preview movie \"installer.swf\": its compressed movie does not expand ("))
        << advice.errors[0];
}

TEST_F(PackageAdvice, NewerMoviesThePageNamesAreNoted) {
    Bytes movie = sampleFile("content/aurora.swf");
    movie[3] = 8;
    testing::writeBytes(temp / "content/wave.swf", movie);
    testing::writeBytes(temp / "content/unused.swf", movie);  // not named: no line
    const Advice advice = movieAdvice();
    ASSERT_EQ(advice.warnings.size(), 1u) << joined(advice.warnings);
    EXPECT_EQ(advice.warnings[0],
              "data file \"wave.swf\", named by the page, is a version 8 movie: the installer "
              "accepts a Flash player from version 6 on, which does not play it, so those "
              "users see no wallpaper; save it for version 6 or earlier");
}

TEST_F(PackageAdvice, PreviewPictureSizeAndDecoding) {
    Bytes small = sampleFile("preview.bmp");
    small[18] = 100;  // width 100: the pixels still fit the file
    small[19] = 0;
    testing::writeBytes(temp / "small.bmp", small);
    const Advice stretched = adviceFor("picture", "small.bmp");
    ASSERT_EQ(stretched.warnings.size(), 1u);
    EXPECT_EQ(stretched.warnings[0],
              "preview picture \"installer.BMP\" is 100 x 150: the installer stretches it to "
              "fill the 350 x 150 preview area (3.50 times across and 1.00 times down); make it "
              "350 x 150 to have it shown as it is");

    const Advice jpegAsBitmap = adviceFor("picture", "preview.jpg");
    ASSERT_EQ(jpegAsBitmap.errors.size(), 1u);
    EXPECT_EQ(jpegAsBitmap.errors[0],
              "preview picture \"installer.BMP\" cannot be decoded by the installer (not a "
              "bitmap): the preview area stays empty");

    Bytes cut = sampleFile("preview.jpg");
    cut.resize(20);  // ends inside its headers
    testing::writeBytes(temp / "cut.jpg", cut);
    EXPECT_EQ(adviceFor("jpeg", "cut.jpg").errors.size(), 1u);
    const Advice bitmapAsJpeg = adviceFor("jpeg", "preview.bmp");
    ASSERT_EQ(bitmapAsJpeg.errors.size(), 1u);
    EXPECT_NE(bitmapAsJpeg.errors[0].find("\"installer.jpg\" cannot be decoded"),
              std::string::npos);
}

TEST_F(PackageAdvice, PageFilesThePackageDoesNotInstall) {
    writePage(
        "<object><param name=\"movie\" value=\"Wave dir/wave.swf\"></object>"
        "<img src='Wave%20dir/sky.jpg'><a href=\"http://example.com/\">home</a>"
        "<a href=\"#top\">top</a><embed src=\"wave.swf\"><a href=\"Wave.html\">again</a>"
        "<!-- <img src=\"commented.gif\"> -->");
    const Advice advice = movieAdvice();
    EXPECT_EQ(joined(advice.warnings),
              "the page names \"Wave%20dir/sky.jpg\", which the package does not install: the "
              "desktop will miss it\n"
              "the page names \"wave.swf\", which the package does not install: the desktop "
              "will miss it\n");
}

TEST_F(PackageAdvice, LicenceLettersBeyondAscii) {
    testing::writeText(temp / "license.txt", "Use it well.\nCaf\xC3\xA9 \xE2\x80\x94 ok\n");
    const Advice advice = movieAdvice();
    ASSERT_EQ(advice.warnings.size(), 1u);
    EXPECT_EQ(advice.warnings[0],
              "licence \"license.txt\" has 2 bytes outside ASCII (first on line 2): the "
              "installer shows them in the users' code page, read here in code page 1252 "
              "(Western) as: \xC3\xA9 \xE2\x80\x94; users of another code page see other letters");
}

TEST_F(PackageAdvice, JsonCarriesWarningsAndStrictFails) {
    Bytes movie = sampleFile("content/aurora.swf");
    movie[3] = 7;
    testing::writeBytes(temp / "movie.swf", movie);
    testing::writeText(temp / "w.ini", manifest("movie", "movie.swf"));
    const auto velpack = [](const std::vector<std::string>& args, std::string& out) {
        std::ostringstream stdoutText;
        std::ostringstream stderrText;
        const int code = runCli(args, stdoutText, stderrText);
        out = stdoutText.str() + stderrText.str();
        return code;
    };
    const std::string ini = (temp / "w.ini").string();
    const std::string exe = (temp / "w.exe").string();
    const std::string projectDir = project.folder.string();
    std::string out;

    EXPECT_EQ(velpack({"build", ini, "-o", exe, "--strict", "--project-dir", projectDir}, out), 1);
    EXPECT_FALSE(fs::exists(temp / "w.exe"));
    EXPECT_NE(out.find("w.ini: warning: preview movie \"installer.swf\" is version 7"),
              std::string::npos)
        << out;

    EXPECT_EQ(velpack({"build", ini, "-o", exe, "--json", "--project-dir", projectDir}, out), 0);
    EXPECT_NE(out.find("\"written\": true"), std::string::npos) << out;
    EXPECT_NE(out.find("\"warnings\": [\"preview movie \\\"installer.swf\\\" is version 7"),
              std::string::npos)
        << out;

    EXPECT_EQ(velpack({"verify", exe}, out), 0);
    EXPECT_NE(out.find("w.exe: warning: preview movie"), std::string::npos) << out;
    EXPECT_NE(out.find("w.exe: sound"), std::string::npos) << out;
    EXPECT_EQ(velpack({"verify", exe, "--strict"}, out), 1);
    EXPECT_EQ(out.find("sound"), std::string::npos) << out;
    EXPECT_EQ(velpack({"verify", exe, "--json"}, out), 0);
    EXPECT_NE(out.find("\"sound\": true, \"problems\": [], \"warnings\": [\"preview movie"),
              std::string::npos)
        << out;
    EXPECT_EQ(velpack({"verify", exe, "--json", "--strict"}, out), 1);
    EXPECT_NE(out.find("\"sound\": false"), std::string::npos) << out;
}

}  // namespace
}  // namespace velpack
