// `velpack new` leads to a package that builds and verifies with no edit, for every kind, and
// refuses what the installer would refuse.
#include <gtest/gtest.h>

#include <sstream>

#include "advice.h"
#include "cli.h"
#include "inspect.h"
#include "new_package.h"
#include "velpack_test_support.h"

namespace velpack {
namespace {

using testing::Bytes;
using testing::ProjectFiles;
using testing::TempFolder;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun velpack(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.exitCode = runCli(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string sample(const std::string& path) {
    return (testing::examplesFolder() / "sample" / path).string();
}

std::string textOf(const fs::path& path) {
    const Bytes bytes = testing::readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class VelpackNew : public ::testing::Test {
  protected:
    CliRun newPackage(const std::string& folder, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"new",     (temp / folder).string(),
                                         "--name",  "Test Aurora",
                                         "--movie", sample("content/aurora.swf")};
        args.insert(args.end(), extra.begin(), extra.end());
        return velpack(args);
    }

    // Builds FOLDER/Test Aurora.ini and verifies the installer; the verify run.
    CliRun buildAndVerify(const std::string& folder) {
        const fs::path installer = temp / (folder + ".exe");
        const CliRun built =
            velpack({"build", (temp / folder / "Test Aurora.ini").string(), "-o",
                     installer.string(), "--project-dir", project.folder.string()});
        EXPECT_EQ(built.exitCode, 0) << built.err;
        return velpack({"verify", installer.string()});
    }

    TempFolder temp;
    ProjectFiles project{temp / "project"};
};

TEST_F(VelpackNew, EveryKindBuildsAndVerifiesWithNoEdit) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> kinds = {
        {"movie", {"--licence", sample("license.txt")}},
        {"picture", {"--preview", sample("preview.bmp")}},
        {"jpeg", {"--preview", sample("preview.jpg"), "--licence", sample("license.txt")}},
        {"silent", {}},
    };
    for (const auto& [kind, options] : kinds) {
        std::vector<std::string> extra = {"--kind", kind};
        extra.insert(extra.end(), options.begin(), options.end());
        const CliRun made = newPackage(kind, extra);
        ASSERT_EQ(made.exitCode, 0) << kind << ": " << made.err;
        EXPECT_NE(made.out.find("Next: velpack build"), std::string::npos);
        const CliRun verified = buildAndVerify(kind);
        EXPECT_EQ(verified.exitCode, 0) << kind << ": " << verified.out;
        EXPECT_NE(verified.out.find("sound"), std::string::npos) << kind;
    }
}

TEST_F(VelpackNew, ManifestCommentsEverySettingAndPageShowsTheMovie) {
    ASSERT_EQ(newPackage("p").exitCode, 0);
    const std::string manifest = textOf(temp / "p" / "Test Aurora.ini");
    std::istringstream lines(manifest);
    std::string line;
    std::string previous;
    int settings = 0;
    while (std::getline(lines, line)) {
        if (line.find(" = ") != std::string::npos && line[0] != ';') {
            ++settings;
            EXPECT_EQ(previous.substr(0, 1), ";") << "no comment above: " << line;
        }
        previous = line;
    }
    EXPECT_GE(settings, 10);
    EXPECT_NE(manifest.find("codePage = 1252"), std::string::npos);
    EXPECT_NE(manifest.find("background = 10, 61, 98"), std::string::npos);
    EXPECT_NE(manifest.find("file = project:flashax.exe"), std::string::npos);

    const std::string page = textOf(temp / "p" / "page.html");
    EXPECT_NE(page.find("<param name=\"movie\" value=\"Test%20Aurora%20dir/aurora.swf\">"),
              std::string::npos);
    EXPECT_NE(page.find("<embed src=\"Test%20Aurora%20dir/aurora.swf\""), std::string::npos);
    EXPECT_NE(page.find("bgcolor=\"#0a3d62\""), std::string::npos);
    EXPECT_NE(page.find("width=\"100%\" height=\"100%\""), std::string::npos);
    EXPECT_EQ(testing::readBytes(temp / "p" / "content" / "aurora.swf"),
              testing::readBytes(sample("content/aurora.swf")));
}

TEST_F(VelpackNew, CompressedMovieGivesItsBackgroundColour) {
    const CliRun made = velpack({"new", (temp / "c").string(), "--name", "Test Aurora", "--movie",
                                 sample("content/media/aurora-cws.swf")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const std::string manifest = textOf(temp / "c" / "Test Aurora.ini");
    EXPECT_EQ(manifest.find("background = 255, 255, 255"), std::string::npos) << manifest;
    EXPECT_EQ(buildAndVerify("c").exitCode, 0);
}

TEST_F(VelpackNew, NameBeyondAsciiIsWrittenInTheCodePage) {
    NewPackageRequest request;
    request.folder = temp / "c";
    request.name = "Caf\xC3\xA9";  // UTF-8, as the manifest holds it
    request.movie = sample("content/aurora.swf");
    const NewPackageResult made = createPackage(request);
    ASSERT_TRUE(made.ok()) << made.errors.front();
    const std::string page = textOf(temp / "c" / "page.html");
    EXPECT_NE(page.find("value=\"Caf\xE9%20dir/aurora.swf\""), std::string::npos) << page;
    EXPECT_NE(page.find("charset=windows-1252"), std::string::npos);
    const Bytes installer = testing::buildOrFail(made.manifest, project.options());
    const Inspection inspection = inspectInstaller(installer, std::nullopt);
    EXPECT_TRUE(inspection.sound());
    EXPECT_TRUE(adviseOn(inspection).empty());
}

TEST_F(VelpackNew, RefusesWhatTheInstallerWouldRefuse) {
    for (const std::string& name :
         std::vector<std::string>{"CON", "a\\b", "dots.", std::string(65, 'n')}) {
        const CliRun refused = velpack({"new", (temp / "n").string(), "--name", name, "--movie",
                                        sample("content/aurora.swf")});
        EXPECT_EQ(refused.exitCode, 1) << name;
        EXPECT_NE(refused.err.find("cannot be a wallpaper name"), std::string::npos) << name;
    }
    const CliRun text =
        velpack({"new", (temp / "n").string(), "--name", "X", "--movie", sample("license.txt")});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.err.find("not a Flash movie"), std::string::npos) << text.err;

    Bytes newer = testing::readBytes(sample("content/aurora.swf"));
    newer[3] = 7;
    testing::writeBytes(temp / "v7.swf", newer);
    const CliRun v7 = velpack(
        {"new", (temp / "n").string(), "--name", "X", "--movie", (temp / "v7.swf").string()});
    EXPECT_EQ(v7.exitCode, 1);
    EXPECT_NE(v7.err.find("version 7"), std::string::npos) << v7.err;

    Bytes cut = testing::readBytes(sample("content/aurora.swf"));
    cut.resize(20);
    testing::writeBytes(temp / "cut.swf", cut);
    EXPECT_EQ(velpack({"new", (temp / "n").string(), "--name", "X", "--movie",
                       (temp / "cut.swf").string()})
                  .exitCode,
              1);
    EXPECT_EQ(newPackage("n", {"--kind", "picture"}).exitCode, 1);  // no --preview
    EXPECT_EQ(newPackage("n", {"--kind", "jpeg", "--preview", sample("preview.bmp")}).exitCode, 1);
    EXPECT_FALSE(fs::exists(temp / "n"));
    EXPECT_EQ(newPackage("n", {"--kind", "cinema"}).exitCode, 1);
    EXPECT_EQ(
        velpack({"new", (temp / "n").string(), "--movie", sample("content/aurora.swf")}).exitCode,
        2);
}

TEST_F(VelpackNew, ExistingPackageIsKeptUnlessForced) {
    ASSERT_EQ(newPackage("p").exitCode, 0);
    testing::writeText(temp / "p" / "page.html", "edited");
    const CliRun again = newPackage("p");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("exists; --force replaces it"), std::string::npos);
    EXPECT_EQ(textOf(temp / "p" / "page.html"), "edited");
    EXPECT_EQ(newPackage("p", {"--force"}).exitCode, 0);
    EXPECT_NE(textOf(temp / "p" / "page.html"), "edited");
}

}  // namespace
}  // namespace velpack
