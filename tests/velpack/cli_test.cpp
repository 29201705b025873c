// The velpack program end to end: exit codes, help texts, and a build, list,
// verify and extract through the command line.
#include <gtest/gtest.h>

#include <cstdlib>

#include "velpack_test_support.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace velpack {
namespace {

using testing::TempFolder;

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string quoted(const fs::path& path) {
    return "\"" + path.string() + "\"";
}

class VelpackProgram : public ::testing::Test {
  protected:
    ProgramRun run(const std::string& arguments) {
        const fs::path out = temp / "stdout.txt";
        const fs::path err = temp / "stderr.txt";
        std::string command =
            quoted(VELPACK_EXE) + " " + arguments + " > " + quoted(out) + " 2> " + quoted(err);
#ifdef _WIN32
        command = "\"" + command + "\"";  // cmd.exe strips one pair of quotes
#endif
        const int status = std::system(command.c_str());
        ProgramRun result;
#ifdef _WIN32
        result.exitCode = status;
#else
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
        const testing::Bytes outBytes = testing::readBytes(out);
        const testing::Bytes errBytes = testing::readBytes(err);
        result.out.assign(outBytes.begin(), outBytes.end());
        result.err.assign(errBytes.begin(), errBytes.end());
        return result;
    }

    std::string buildMovie(const fs::path& output) {
        return "build " + quoted(testing::examplesFolder() / "movie.ini") + " -o " +
               quoted(output) + " --project-dir " + quoted(project.folder);
    }

    TempFolder temp;
    testing::ProjectFiles project{temp / "project"};
};

TEST_F(VelpackProgram, HelpDescribesEveryCommandAndOption) {
    const ProgramRun help = run("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* part : {"build", "list", "extract", "verify", "Exit codes"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
        {"build",
         {"--output", "--json", "--strict", "--stub", "--impborl", "--project-dir", "--sign",
          "--key", "--sign-digest", "Exit:"}},
        {"new", {"--name", "--movie", "--kind", "--preview", "--licence", "--force", "Exit:"}},
        {"list", {"--json", "--offset", "--code-page", "Exit:"}},
        {"extract", {"--output", "--offset", "--code-page", "Exit:"}},
        {"verify", {"--json", "--strict", "--offset", "--quiet", "--code-page", "Exit:"}},
    };
    for (const auto& [command, options] : commands) {
        const ProgramRun result = run(command + " --help");
        EXPECT_EQ(result.exitCode, 0) << command;
        for (const std::string& option : options) {
            EXPECT_NE(result.out.find(option), std::string::npos) << command << " " << option;
        }
    }
}

TEST_F(VelpackProgram, WrongCommandLinesExitWith2) {
    EXPECT_EQ(run("").exitCode, 2);
    EXPECT_EQ(run("pack x").exitCode, 2);
    EXPECT_EQ(run("list").exitCode, 2);
    EXPECT_EQ(run("list a.exe --bogus").exitCode, 2);
    const ProgramRun offset = run("verify a.exe --offset 12ab");
    EXPECT_EQ(offset.exitCode, 2);
    EXPECT_NE(offset.err.find("--offset needs a number"), std::string::npos);
    const ProgramRun codePage = run("list a.exe --code-page 65001");
    EXPECT_EQ(codePage.exitCode, 2);
    EXPECT_NE(codePage.err.find("--code-page must be 874 or 1250 to 1258, not \"65001\""),
              std::string::npos)
        << codePage.err;
}

// A Central European package read back with its code page given again, and the build's notes
// on stderr.
TEST_F(VelpackProgram, CodePageIsGivenAgainToReadThePackage) {
    testing::writeText(temp / "page.html", "<a href=\"łąka.txt\">");
    testing::writeText(temp / "content/łąka.txt", "meadow");
    testing::writeText(temp / "licence.txt", "Łąka\n");
    testing::writeBytes(temp / "p.bmp",
                        testing::readBytes(testing::examplesFolder() / "sample/preview.bmp"));
    testing::writeText(temp / "pl.ini",
                       "[package]\nkind = picture\nwallpaperName = Łąka\ncodePage = 1250\n"
                       "[slot2]\nfile = project:placeholder.exe\n"
                       "[slot3]\nfile = p.bmp\nname = p.bmp\n[slot4]\nfile = licence.txt\n"
                       "[slot6]\nfile = page.html\n[slot9]\nfile = project:placeholder.exe\n"
                       "[data]\nfolder = content\n");
    const fs::path installer = temp / "pl.exe";
    const ProgramRun built = run("build " + quoted(temp / "pl.ini") + " -o " + quoted(installer) +
                                 " --project-dir " + quoted(project.folder));
    ASSERT_EQ(built.exitCode, 0) << built.err;
    EXPECT_NE(built.err.find("pl.ini:11: licence.txt is UTF-8: converted to code page 1250 "
                             "(Central European)"),
              std::string::npos)
        << built.err;
    EXPECT_NE(built.err.find("pl.ini:13: warning: the page page.html names the local file "
                             "\"łąka.txt\""),
              std::string::npos)
        << built.err;

    const ProgramRun list = run("list " + quoted(installer) + " --code-page 1250");
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("codePage      1250 (Central European"), std::string::npos);
    std::string listed = list.out;
    std::erase(listed, '\r');  // the Windows build's text output ends lines with CRLF
    EXPECT_NE(listed.find("wallpaper     Łąka\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("łąka.txt"), std::string::npos) << list.out;
    EXPECT_EQ(run("verify -q " + quoted(installer) + " --code-page 1250").exitCode, 0);

    const ProgramRun extract =
        run("extract " + quoted(installer) + " --code-page 1250 -o " + quoted(temp / "out"));
    EXPECT_EQ(extract.exitCode, 0) << extract.err;
    EXPECT_EQ(testing::readBytes(temp / "out/data/łąka.txt"), testing::bytesOf("meadow"));
    EXPECT_TRUE(fs::exists(temp / "out/Łąka.html"));
}

TEST_F(VelpackProgram, BuildListVerifyExtract) {
    const fs::path first = temp / "first.exe";
    const fs::path second = temp / "second.exe";
    const ProgramRun built = run(buildMovie(first));
    ASSERT_EQ(built.exitCode, 0) << built.err;
    ASSERT_EQ(run(buildMovie(second)).exitCode, 0);
    EXPECT_EQ(testing::readBytes(first), testing::readBytes(second));

    const ProgramRun verify = run("verify " + quoted(first));
    EXPECT_EQ(verify.exitCode, 0);
    EXPECT_NE(verify.out.find("sound"), std::string::npos);

    const ProgramRun list = run("list " + quoted(first));
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_NE(list.out.find("Velumar Aurora.ssd"), std::string::npos);
    EXPECT_NE(list.out.find("media\\aurora-cws.swf"), std::string::npos);

    const ProgramRun json = run("list --json " + quoted(first));
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_NE(json.out.find("\"sound\": true"), std::string::npos);
    EXPECT_NE(json.out.find("\"wallpaperName\": \"Velumar Aurora\""), std::string::npos);

    const ProgramRun extract = run("extract " + quoted(first) + " -o " + quoted(temp / "out"));
    EXPECT_EQ(extract.exitCode, 0) << extract.err;
    EXPECT_EQ(testing::readBytes(temp / "out" / "installer.swf"),
              testing::readBytes(testing::examplesFolder() / "sample/content/aurora.swf"));
}

TEST_F(VelpackProgram, BrokenInputsExitWith1) {
    testing::writeText(temp / "bad.ini", "[package]\nkind = cinema\nwallpaperName = W\n");
    const ProgramRun bad =
        run("build " + quoted(temp / "bad.ini") + " -o " + quoted(temp / "bad.exe"));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("bad.ini:2: kind must be"), std::string::npos) << bad.err;
    EXPECT_FALSE(fs::exists(temp / "bad.exe"));

    const fs::path installer = temp / "movie.exe";
    ASSERT_EQ(run(buildMovie(installer)).exitCode, 0);
    testing::Bytes bytes = testing::readBytes(installer);
    bytes.resize(bytes.size() - 1);
    testing::writeBytes(installer, bytes);
    const ProgramRun verify = run("verify " + quoted(installer));
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_NE(verify.out.find("lie outside the file"), std::string::npos) << verify.out;
    EXPECT_EQ(run("list " + quoted(installer)).exitCode, 1);
    EXPECT_EQ(run("verify " + quoted(temp / "missing.exe")).exitCode, 1);
}

}  // namespace
}  // namespace velpack
