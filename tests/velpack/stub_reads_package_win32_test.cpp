// The installer side reads what the tool writes: an installer built on the
// sample stub runs and reads its own package header with the installer's
// reader (package offset record, Win32 file source, header decoding).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "builder.h"
#include "velpack_test_support.h"

namespace velpack {
namespace {

using testing::TempFolder;

std::string windowsPath(fs::path path) {
    return path.make_preferred().string();
}

TEST(SampleStub, BuiltInstallerReadsItsOwnHeader) {
    const TempFolder temp;
    BuildOptions options;
    options.stub = fs::path(VELPACK_SAMPLE_STUB);
    options.library = fs::path(VELPACK_IMPBORL);
    options.projectDirs = {fs::path(VELPACK_PLACEHOLDER).parent_path(),
                           fs::path(VELPACK_FLASHAX).parent_path(),
                           fs::path(VELPACK_UNINSTALLER).parent_path()};
    const testing::Bytes installer =
        testing::buildOrFail(testing::examplesFolder() / "movie.ini", options);
    ASSERT_FALSE(installer.empty());
    const fs::path exe = temp / "movie.exe";
    testing::writeBytes(exe, installer);

    const fs::path out = temp / "out.txt";
    const std::string command = "\"\"" + windowsPath(exe) + "\" > \"" + windowsPath(out) + "\"\"";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const testing::Bytes printed = testing::readBytes(out);
    const std::string text(printed.begin(), printed.end());
    EXPECT_NE(text.find("wallpaper Velumar Aurora"), std::string::npos) << text;
    EXPECT_NE(text.find("slot 8 Velumar Aurora.ssd"), std::string::npos) << text;
}

TEST(SampleStub, UnbuiltStubSaysSo) {
    const std::string command = "\"\"" + windowsPath(VELPACK_SAMPLE_STUB) + "\" > NUL\"";
    EXPECT_EQ(std::system(command.c_str()), 2);
}

}  // namespace
}  // namespace velpack
