// Libraries left in a download folder under system libraries' names, with Wine told to prefer
// a native library where it finds one (as a loader without KnownDLLs does): install.exe run
// from that folder, with it as the current folder, and uninstall.exe run from it and from the
// installation, load none of them beyond what Wine itself loads for any program, a program
// that imports only KERNEL32, USER32 and GDI32 run from the same folder. A "<installer>.local"
// beside the installer changes nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "e2e_support_win32.h"
#include "util/files_win32.h"
#include "util/registry_win32.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kExitTimeout = 60000;
constexpr char kInstallerName[] = "Ocean Setup.exe";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ocean";

// The names the programs once imported or load at run time, and those system code loads by
// name on demand.
const std::vector<std::string> kPlantedNames = {
    "version.dll", "imm32.dll",  "uxtheme.dll",  "shlwapi.dll", "comctl32.dll",
    "shell32.dll", "ole32.dll",  "oleaut32.dll", "userenv.dll", "setupapi.dll",
    "apphelp.dll", "oleacc.dll", "ntmarta.dll",  "clbcatq.dll"};

// Wine told to take a native library first for every planted name, for one program (by its
// file name) while the object lives: what a loader without KnownDLLs does with every name.
// (WINEDLLOVERRIDES in a started program's environment does not reach Wine's loader.)
class NativeFirst {
  public:
    explicit NativeFirst(const std::string& program)
        : programKey_("Software\\Wine\\AppDefaults\\" + program),
          overridesKey_(programKey_ + "\\DllOverrides"),
          hadProgramKey_(keyExists(HKEY_CURRENT_USER, programKey_.c_str())) {
        for (const std::string& name : kPlantedNames) {
            EXPECT_TRUE(writeString(HKEY_CURRENT_USER, overridesKey_.c_str(),
                                    name.substr(0, name.size() - 4).c_str(), "native,builtin"));
        }
    }
    ~NativeFirst() {
        deleteRegistryTree(HKEY_CURRENT_USER, hadProgramKey_ ? overridesKey_ : programKey_);
    }
    NativeFirst(const NativeFirst&) = delete;
    NativeFirst& operator=(const NativeFirst&) = delete;

  private:
    std::string programKey_;
    std::string overridesKey_;
    bool hadProgramKey_;
};

std::string describe(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

class PlantedLibraries : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch = makeTempFolder("velumar-planted");
        ASSERT_FALSE(scratch.empty());
        download = scratch + "download\\";
        childTemp = scratch + "temp\\";
        ASSERT_TRUE(::CreateDirectoryA(download.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(childTemp.c_str(), nullptr));
        initSystemFolders();
        windows = windowsFolder();
        cleanUp();
        for (const std::string& name : kPlantedNames) {
            ASSERT_TRUE(::CopyFileA(hostPath(E2E_PLANTED_LIBRARY).c_str(),
                                    (download + name).c_str(), FALSE))
                << name;
        }
        // What Wine loads from the folder for any program.
        const std::string three = download + "three_imports.exe";
        ASSERT_TRUE(::CopyFileA(hostPath(E2E_THREE_IMPORTS).c_str(), three.c_str(), FALSE));
        InstallerProcess baseline(three, childTemp, {}, download);
        ASSERT_TRUE(baseline.started());
        ASSERT_TRUE(baseline.waitForExit(kExitTimeout));
        wineLoads = takeLoaded();
        // Wine's own libraries take IMM32 and VERSION by name from the program's folder: the
        // planted libraries are found, or this test would show nothing.
        ASSERT_FALSE(wineLoads.empty()) << "no planted library is ever loaded";
    }

    void TearDown() override {
        cleanUp();
        deleteFolderTree(scratch);
    }

    void cleanUp() {
        for (const char* name : {"impborl.dll", "flashax.exe"}) deleteFileQuiet(windows + name);
        for (int tries = 0; tries < 100 && pathExists(wallpaperFolder()); ++tries) {
            deleteFolderTree(wallpaperFolder());
            if (pathExists(wallpaperFolder())) ::Sleep(50);
        }
        deleteFileQuiet(windows + "Web\\Wallpaper\\Ocean.html");
        for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            deleteRegistryTree(root, kUninstallKey);
    }

    std::string wallpaperFolder() const { return windows + "Web\\Wallpaper\\Ocean dir\\"; }

    // The planted libraries loaded since the last call, by name; their records are removed.
    std::set<std::string> takeLoaded() {
        std::set<std::string> loaded;
        for (const std::string& name : kPlantedNames) {
            const std::string record = download + name + ".loaded";
            if (!pathExists(record)) continue;
            loaded.insert(name);
            deleteFileQuiet(record);
        }
        return loaded;
    }

    // What a run loaded beyond what Wine loads for any program.
    std::set<std::string> beyondWine(const std::set<std::string>& loaded) const {
        std::set<std::string> extra;
        for (const std::string& name : loaded)
            if (!wineLoads.contains(name)) extra.insert(name);
        return extra;
    }

    // A silent installer whose data is imploded (so the implode library is loaded too) and
    // whose uninstaller is this build's uninstall.exe.
    void writeInstaller() {
        const fs::path root(scratch + "build");
        fs::create_directories(root / "content");
        const auto write = [&](const fs::path& name, const std::string& text) {
            std::ofstream(root / name, std::ios::binary) << text;
        };
        write("flashax.exe", "stand-in Flash player installer");
        write("page.html", "<html><body>ocean</body></html>");
        write("content/readme.txt", "readme\r\n");
        fs::copy_file(fs::path(hostPath(std::string(E2E_EXAMPLES_DIR) + "/sample/preview.bmp")),
                      root / "preview.bmp", fs::copy_options::overwrite_existing);
        const std::string text =
            "[package]\nkind = silent\nwallpaperName = Ocean\nofferDisplayProperties = no\n"
            "[slot2]\nfile = flashax.exe\n[slot3]\nfile = preview.bmp\n"
            "[slot6]\nfile = page.html\n[slot9]\nfile = " +
            hostPath(E2E_UNINSTALL_EXE) + "\n[data]\nfolder = content\ncompressed = yes\n";
        const BuiltInstaller built = buildFromManifest(text, root / "ocean.ini");
        ASSERT_TRUE(built.ok()) << built.failure;
        writeFileBytes(download + kInstallerName, built.installer);
    }

    // Runs a program of the download folder (or elsewhere) with the download folder as its
    // current folder, as a browser starts what it downloaded.
    std::unique_ptr<InstallerProcess> startFromDownload(const std::string& program) {
        auto process = std::make_unique<InstallerProcess>(program, childTemp,
                                                          std::vector<std::string>{}, download);
        EXPECT_TRUE(process->started()) << program;
        return process;
    }

    void installSilently() {
        writeInstaller();
        auto process = startFromDownload(download + kInstallerName);
        ASSERT_TRUE(process->waitForExit(kExitTimeout));
        ASSERT_TRUE(pathExists(windows + "Web\\Wallpaper\\Ocean.html"));
        ASSERT_TRUE(pathExists(wallpaperFolder() + "readme.txt"));
        ASSERT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }

    // The installed uninstaller, as its uninstall entry starts it, from the download folder:
    // Yes to its question, then its temporary copy removes the installation.
    void uninstallFromTheEntry() {
        auto process = startFromDownload(wallpaperFolder() + "uninstall.exe");
        const auto question = answerWith(process->id(), "&Yes");
        ASSERT_TRUE(question);
        ASSERT_TRUE(process->waitForExit(kExitTimeout));
        for (int waited = 0; waited < 400 && pathExists(wallpaperFolder()); ++waited) ::Sleep(50);
        EXPECT_FALSE(pathExists(wallpaperFolder()));
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }

    std::string scratch;
    std::string download;
    std::string childTemp;
    std::string windows;
    std::set<std::string> wineLoads;
    FlashPlayerSetup flashPlayer;
    // The uninstaller's temporary copy has its name too.
    NativeFirst forBaseline{"three_imports.exe"};
    NativeFirst forInstaller{kInstallerName};
    NativeFirst forUninstaller{"uninstall.exe"};
};

TEST_F(PlantedLibraries, NoneIsLoadedByTheInstallerOrTheUninstaller) {
    std::cout << "Wine loads for any program: " << describe(wineLoads) << "\n";
    installSilently();
    EXPECT_EQ(beyondWine(takeLoaded()), std::set<std::string>{}) << "install.exe";

    // uninstall.exe beside the installer: not an installed wallpaper's, it says so and ends.
    const std::string copy = download + "uninstall.exe";
    ASSERT_TRUE(::CopyFileA(hostPath(E2E_UNINSTALL_EXE).c_str(), copy.c_str(), FALSE));
    auto stray = startFromDownload(copy);
    ASSERT_TRUE(answerDialog(stray->id(), 20000));
    ASSERT_TRUE(stray->waitForExit(kExitTimeout));
    EXPECT_EQ(beyondWine(takeLoaded()), std::set<std::string>{}) << "uninstall.exe, download";

    uninstallFromTheEntry();
    EXPECT_EQ(beyondWine(takeLoaded()), std::set<std::string>{}) << "uninstall.exe, installed";
}

TEST_F(PlantedLibraries, ALocalFileBesideTheInstallerChangesNothing) {
    writeFileBytes(download + kInstallerName + ".local", Bytes{});
    installSilently();
    EXPECT_EQ(beyondWine(takeLoaded()), std::set<std::string>{}) << "install.exe with .local";
    uninstallFromTheEntry();
    EXPECT_EQ(beyondWine(takeLoaded()), std::set<std::string>{}) << "uninstall.exe";
}

}  // namespace
}  // namespace velumar::e2e
