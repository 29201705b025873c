// install.exe meeting a full disk, end to end under Wine: ctest runs this program through
// on-small-wallpaper-disk, which mounts a small file system over the prefix's Web\Wallpaper.
// A stored data record, an imploded data record, the page slot and an imploded page each run
// out of room; the box gives the system's text for the full disk, the run fails with its code,
// and nothing is left: no wallpaper folder or page, the desktop as it was, no uninstall entry.
#include <windows.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "e2e_support_win32.h"
#include "util/files_win32.h"

namespace velumar::e2e {
namespace {

namespace app = velumar::app;
namespace fs = std::filesystem;

constexpr DWORD kWindowTimeout = 20000;
constexpr DWORD kExitTimeout = 20000;
// The file system the wrapper mounts is far smaller than this; a larger one is not it.
constexpr ULONGLONG kSmallDiskLimit = 4ull << 20;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Autumn";

// The system's text for a code as the installer's boxes show it: trailing blanks, line breaks
// and full stops removed.
std::string systemText(DWORD code) {
    char buffer[512] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

// What fills the disk, and how it is packed.
enum class Filler { small, storedRecord, implodedRecord, storedPage, implodedPage };

class FullDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        initSystemFolders();
        windows = windowsFolder();
        root = windows + "Web\\Wallpaper\\";
        ULARGE_INTEGER available{}, total{}, free{};
        if (!::GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free) ||
            total.QuadPart > kSmallDiskLimit) {
            GTEST_SKIP() << root
                         << " is not on a small file system: run this program through "
                            "tests/e2e/on-small-wallpaper-disk (ctest does)";
        }
        scratch = makeTempFolder("velumar-full");
        ASSERT_FALSE(scratch.empty());
        childTemp = scratch + "temp\\";
        ::CreateDirectoryA(childTemp.c_str(), nullptr);
        cleanUp();
        savedBackground = readString(HKEY_CURRENT_USER, kColorsKey, "Background");
        writeString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper", "C:\\before.bmp");
        writeString(HKEY_CURRENT_USER, kColorsKey, "Background", "1 2 3");
        writeNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags", 0x2001);
    }

    void TearDown() override {
        if (scratch.empty()) return;
        cleanUp();
        if (savedBackground)
            writeString(HKEY_CURRENT_USER, kColorsKey, "Background", *savedBackground);
        ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Desktop");
        deleteFolderTree(scratch);
    }

    void cleanUp() {
        for (const char* name : {"impborl.dll", "flashax.exe"}) deleteFileQuiet(windows + name);
        deleteFolderTree(folder());
        deleteFileQuiet(page());
        ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    std::string folder() const { return root + "Autumn dir\\"; }
    std::string page() const { return root + "Autumn.html"; }

    // A picture package whose filler does not fit on the small disk; everything else does.
    Bytes build(Filler filler) {
        const fs::path dir(scratch + "build");
        fs::create_directories(dir / "content");
        const auto write = [&](const fs::path& name, const std::string& text) {
            std::ofstream(dir / name, std::ios::binary) << text;
        };
        write("flashax.exe", "stand-in Flash player installer");
        write("uninstall.exe", "stand-in uninstaller");
        write("content/readme.txt", "readme\r\n");
        std::string page = "<html><body>wallpaper</body></html>";
        std::string text =
            "[package]\nkind = picture\nwallpaperName = Autumn\n"
            "background = 255, 128, 0\nofferDisplayProperties = no\n"
            "[slot2]\nfile = flashax.exe\n[slot3]\nfile = preview.bmp\n"
            "[slot9]\nfile = uninstall.exe\n";
        switch (filler) {
            case Filler::small:
                text += "[data]\nfolder = content\n";
                break;
            case Filler::storedRecord: {
                // Random bytes: the data file holds them once and fits; the record's copy
                // does not.
                std::mt19937 random(18);
                std::string noise(300 * 1024, '\0');
                for (char& c : noise) c = static_cast<char>(random());
                write("content/noise.bin", noise);
                text += "[data]\nfolder = content\n";
                break;
            }
            case Filler::implodedRecord:
                write("content/zeros.bin", std::string(2 << 20, '\0'));
                text += "[data]\nfolder = content\ncompressed = yes\n";
                break;
            case Filler::storedPage:
                page.append(1 << 20, ' ');
                text += "[data]\nfolder = content\n";
                break;
            case Filler::implodedPage:
                page.append(2 << 20, ' ');
                text += "[data]\nfolder = content\n";
                break;
        }
        write("page.html", page);
        text += "[slot6]\nfile = page.html\n";
        if (filler == Filler::implodedPage) text += "compressed = yes\n";
        fs::copy_file(fs::path(hostPath(std::string(E2E_EXAMPLES_DIR) + "/sample/preview.bmp")),
                      dir / "preview.bmp", fs::copy_options::overwrite_existing);
        BuiltInstaller built = buildFromManifest(text, dir / "test.ini");
        EXPECT_TRUE(built.ok()) << built.failure;
        return built.installer;
    }

    // Runs the installer, presses Install and returns the first box, answered. The run must
    // then fail with the full disk's code, and Cancel end the installer.
    std::optional<testing::SeenDialog> installIntoFullDisk(Filler filler) {
        const Bytes installer = build(filler);
        EXPECT_FALSE(installer.empty());
        if (installer.empty()) return std::nullopt;
        const std::string exe = scratch + "setup.exe";
        writeFileBytes(exe, installer);
        InstallerProcess process(exe, childTemp);
        EXPECT_TRUE(process.started());
        const HWND form = waitForWindow(process.id(), app::kInstallerFormClass, kWindowTimeout);
        EXPECT_TRUE(form);
        if (!form) return std::nullopt;
        ::PostMessageA(controlWithId(form, app::installBtn), BM_CLICK, 0, 0);
        std::optional<testing::SeenDialog> box = answerDialog(process.id(), 60000);
        const std::string failed =
            "Install failed. Please try again with new copy of the "
            "installer. Error: " +
            std::to_string(ERROR_DISK_FULL);
        std::string status;
        for (int tries = 0; tries < 400 && status != failed; ++tries) {
            status = textOf(controlWithId(form, app::labCopying));
            if (status != failed) ::Sleep(50);
        }
        EXPECT_EQ(status, failed);
        ::PostMessageA(controlWithId(form, app::cancelBtn), BM_CLICK, 0, 0);
        EXPECT_TRUE(process.waitForExit(kExitTimeout));
        return box;
    }

    void expectNothingLeft() {
        EXPECT_FALSE(pathExists(folder()));
        EXPECT_FALSE(pathExists(page()));
        WIN32_FIND_DATAA found{};
        const HANDLE search = ::FindFirstFileA((root + "*").c_str(), &found);
        std::vector<std::string> left;
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != "..") left.push_back(name);
            } while (::FindNextFileA(search, &found));
            ::FindClose(search);
        }
        EXPECT_TRUE(left.empty()) << ::testing::PrintToString(left);
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
        EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), "C:\\before.bmp");
        EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "1 2 3");
        EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x2001u);
        EXPECT_TRUE(isEmptyFolder(childTemp));
    }

    std::string windows;
    std::string root;
    std::string scratch;
    std::string childTemp;
    std::optional<std::string> savedBackground;
    FlashPlayerSetup flashPlayer;
};

std::string readingBox() {
    return "Corvana Error: Problem reading Velumar data file. " + systemText(ERROR_DISK_FULL);
}

// A reinstall that runs out of room gives the earlier installation back as it was: its folder
// with a file of the user's own, its page, its entry and the desktop it set.
TEST_F(FullDisk, FailedReinstallGivesTheEarlierInstallationBack) {
    {
        const Bytes earlier = build(Filler::small);
        ASSERT_FALSE(earlier.empty());
        const std::string exe = scratch + "earlier.exe";
        writeFileBytes(exe, earlier);
        InstallerProcess process(exe, childTemp);
        const HWND form = waitForWindow(process.id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        ::PostMessageA(controlWithId(form, app::installBtn), BM_CLICK, 0, 0);
        ASSERT_EQ(process.waitForExit(60000), std::optional<DWORD>(0));
    }
    writeFileBytes(folder() + "mine.txt", Bytes{'m', 'i', 'n', 'e'});
    const std::string before = describeInstallation(windows, "Autumn");

    const std::string exe = scratch + "setup.exe";
    writeFileBytes(exe, build(Filler::storedRecord));
    InstallerProcess process(exe, childTemp);
    const HWND form = waitForWindow(process.id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    ::PostMessageA(controlWithId(form, app::installBtn), BM_CLICK, 0, 0);
    const auto question = answerWith(process.id(), "OK");
    ASSERT_TRUE(question);
    EXPECT_EQ(question->title, "Confirm");
    // With the earlier installation still on the disk, the data file itself may not fit.
    const auto box = answerDialog(process.id(), 60000);
    ASSERT_TRUE(box);
    ASSERT_EQ(box->texts.size(), 1u);
    EXPECT_NE(box->texts.front().find(systemText(ERROR_DISK_FULL)), std::string::npos);
    const std::string failed =
        "Install failed. Please try again with new copy of the installer. "
        "Error: " +
        std::to_string(ERROR_DISK_FULL);
    std::string status;
    for (int tries = 0; tries < 400 && status != failed; ++tries) {
        status = textOf(controlWithId(form, app::labCopying));
        if (status != failed) ::Sleep(50);
    }
    EXPECT_EQ(status, failed);
    ::PostMessageA(controlWithId(form, app::cancelBtn), BM_CLICK, 0, 0);
    EXPECT_EQ(process.waitForExit(kExitTimeout), std::optional<DWORD>(1));
    EXPECT_EQ(describeInstallation(windows, "Autumn"), before);
}

TEST_F(FullDisk, StoredDataRecordNamesTheFullDisk) {
    const auto box = installIntoFullDisk(Filler::storedRecord);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts, std::vector<std::string>{readingBox()});
    expectNothingLeft();
}

TEST_F(FullDisk, ImplodedDataRecordNamesTheFullDisk) {
    const auto box = installIntoFullDisk(Filler::implodedRecord);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts, std::vector<std::string>{readingBox()});
    expectNothingLeft();
}

TEST_F(FullDisk, PageSlotNamesTheFullDisk) {
    const auto box = installIntoFullDisk(Filler::storedPage);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts,
              std::vector<std::string>{"Installation Error: " + systemText(ERROR_DISK_FULL) +
                                       "\r\n\r\nProblem with file " + page() + ". "});
    expectNothingLeft();
}

TEST_F(FullDisk, ImplodedPageSlotNamesTheFullDisk) {
    const auto box = installIntoFullDisk(Filler::implodedPage);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts,
              std::vector<std::string>{"Installation Error: " + systemText(ERROR_DISK_FULL) +
                                       "\r\n\r\nProblem with file " + page() + ". "});
    expectNothingLeft();
}

}  // namespace
}  // namespace velumar::e2e
