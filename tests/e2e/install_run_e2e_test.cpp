// install.exe's installation end to end: the Install button and the silent kind under Wine, the
// files, the registry and the window afterwards, and the package's uninstaller run from its
// uninstall entry.
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/control_ids.h"
#include "app/exit_codes.h"
#include "e2e_support_win32.h"
#include "package/byte_source.h"
#include "package/data_file.h"
#include "util/files_win32.h"
#include "util/folder_links_win32.h"
#include "util/standin_registration_win32.h"

namespace velumar::e2e {
namespace {

namespace app = velumar::app;
namespace fs = std::filesystem;
using app::kExitCancelled;
using app::kExitDamaged;
using app::kExitFailed;
using app::kExitInstalled;
using velumar::testing::StandInServerRegistration;

constexpr DWORD kWindowTimeout = 20000;
constexpr DWORD kExitTimeout = 20000;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Autumn";
constexpr char kOtherUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winter";
constexpr char kActiveDesktopClass[] = "{75048700-EF1F-11D0-9888-006097DEACF9}";
// "Été Doré" as the installer reads it on a Western (code page 1252) Windows.
constexpr char kWesternName[] = "\xC9t\xE9 Dor\xE9";
constexpr char kWesternUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\\xC9t\xE9 Dor\xE9";

std::string windowsFolderFromEnvironment() {
    char folder[MAX_PATH + 1] = {};
    ::GetEnvironmentVariableA("WINDIR", folder, MAX_PATH);
    std::string text(folder);
    if (!text.empty() && text.back() != '\\') text += '\\';
    return text;
}

// Waits until the status line reads text (while a box may hold the installer); what it read.
std::string waitForStatusOf(HWND form, const std::string& text, int tries = 400) {
    const HWND label = controlWithId(form, app::labCopying);
    std::string seen;
    for (int waited = 0; waited < tries; ++waited) {
        seen = textOf(label);
        if (seen == text) break;
        ::Sleep(50);
    }
    return seen;
}

// What the test installers hold beyond the fixed slots.
struct RunRecipe {
    std::string kind = "picture";
    bool offerDisplayProperties = true;
    bool extraSlot = false;       // slot 10 named
    std::string uninstaller;      // file for slot 9; the stand-in when empty
    bool compressedPage = false;  // slot 6 imploded
    std::string movie;            // file for slot 3 ("installer.swf") instead of the picture
};

// The data file (slot 8, stored as it is) inside an installer, with the record of that name
// declaring an expanded size one more than its real one. False when there is no such record.
bool lengthenDataRecord(Bytes& installer, const std::string& name) {
    const package::PackageHeader header = headerOf(installer);
    const package::PackageEntry& entry = header.slot(package::slots::dataFile);
    if (entry.isCompressed() || entry.startOffset < 0 || entry.endOffset < entry.startOffset ||
        size_t(entry.endOffset) >= installer.size()) {
        return false;
    }
    const std::span<uint8_t> bytes(installer.data() + entry.startOffset,
                                   size_t(entry.storedLength()));
    package::MemorySource source(bytes);
    package::DataFile file;
    if (!package::readDataFile(source, file).ok()) return false;
    for (int number = 1; number <= file.recordCount(); ++number) {
        if (file.record(number).name() != name || !file.block(number)) continue;
        package::BlockHeader block = *file.block(number);
        block.setSize(block.size() + 1);
        std::copy(block.bytes.begin(), block.bytes.end(),
                  bytes.begin() + file.record(number).blockOffset());
        reseal(installer);
        return true;
    }
    return false;
}

class InstallRun : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch = makeTempFolder("velumar-run");
        ASSERT_FALSE(scratch.empty());
        childTemp = scratch + "temp\\";
        ::CreateDirectoryA(childTemp.c_str(), nullptr);
        initSystemFolders();
        windows = windowsFolder();
        savedBackground = readString(HKEY_CURRENT_USER, kColorsKey, "Background");
        cleanUp();
        // The installer opens these keys, never creates them.
        writeString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper", "");
        writeString(HKEY_CURRENT_USER, kColorsKey, "Background", "0 0 0");
        writeNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags", 0x2001);
    }

    void TearDown() override {
        cleanUp();
        if (savedBackground)
            writeString(HKEY_CURRENT_USER, kColorsKey, "Background", *savedBackground);
        deleteFolderTree(scratch);
    }

    void cleanUp() {
        for (const char* name : {"impborl.dll", "flashax.exe"}) deleteFileQuiet(windows + name);
        for (const char* name : {"Autumn", "Winter", kWesternName}) {
            // A program started from the folder may still be ending.
            for (int tries = 0; tries < 100 && pathExists(wallpaperFolder(name)); ++tries) {
                deleteFolderTree(wallpaperFolder(name));
                if (pathExists(wallpaperFolder(name))) ::Sleep(50);
            }
            deleteFileQuiet(page(name));
            const std::string root = windows + "Web\\Wallpaper\\" + name;
            deleteFolderTree(root + " dir.old");
            deleteFileQuiet(root + ".html.old");
            deleteFileQuiet(root + " dir.old.ini");
        }
        deleteFileQuiet(windows + "Web\\Wallpaper\\Autumn.exe");
        deleteFileQuiet(windows + "Web\\Wallpaper\\uninstaller-record.txt");
        for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            ::SHDeleteKeyA(root, kUninstallKey);
            ::SHDeleteKeyA(root, kOtherUninstallKey);
            ::SHDeleteKeyA(root, kWesternUninstallKey);
        }
        ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Desktop");
    }

    std::string wallpaperFolder(const std::string& name) const {
        return windows + "Web\\Wallpaper\\" + name + " dir\\";
    }
    std::string page(const std::string& name) const {
        return windows + "Web\\Wallpaper\\" + name + ".html";
    }

    // Content with a sub-folder; records are compressed, so the expansion runs through the
    // implode library.
    Bytes build(const RunRecipe& recipe) {
        const fs::path root(scratch + "build" + std::to_string(builds++));
        fs::create_directories(root / "content" / "media" / "deep");
        const auto write = [&](const fs::path& name, const std::string& text) {
            std::ofstream(root / name, std::ios::binary) << text;
        };
        write("flashax.exe", "stand-in Flash player installer");
        write("page.html", "<html><body>wallpaper</body></html>");
        write("extra.txt", "the extra file");
        write("content/readme.txt", "readme\r\n");
        std::string movie;
        for (int i = 0; i < 3000; ++i) movie += "frame " + std::to_string(i % 17) + ";";
        write("content/media/movie.swf", movie);
        write("content/media/deep/notes.txt", "deep notes");
        fs::copy_file(fs::path(hostPath(std::string(E2E_EXAMPLES_DIR) + "/sample/preview.bmp")),
                      root / "preview.bmp");
        const std::string uninstaller =
            recipe.uninstaller.empty() ? hostPath(E2E_UNINSTALLER_STANDIN) : recipe.uninstaller;

        std::string text = "[package]\nkind = " + recipe.kind +
                           "\nwallpaperName = Autumn\nbackground = 255, 128, 0\n"
                           "offerDisplayProperties = " +
                           (recipe.offerDisplayProperties ? "yes" : "no") + "\n";
        text += "[slot2]\nfile = flashax.exe\n";
        text += recipe.movie.empty()
                    ? "[slot3]\nfile = preview.bmp\n"
                    : "[slot3]\nfile = " + recipe.movie + "\nname = installer.swf\n";
        text += "[slot6]\nfile = page.html\n";
        if (recipe.compressedPage) text += "compressed = yes\n";
        text += "[slot9]\nfile = " + uninstaller + "\n";
        if (recipe.extraSlot) text += "[slot10]\nfile = extra.txt\n";
        // Kind 3 copies the preview movie as record 1 of the data file.
        if (recipe.kind == "3")
            text +=
                "[record1]\nname = movie-copy.swf\ncopy = yes\n"
                "[record2]\nname = readme.txt\nfile = content/readme.txt\n";
        else
            text += "[data]\nfolder = content\ncompressed = yes\n";
        BuiltInstaller built = buildFromManifest(text, root / "test.ini");
        EXPECT_TRUE(built.ok()) << built.failure;
        contentRoot = root / "content";
        pageSource = root / "page.html";
        uninstallerSource = fs::path(uninstaller);
        extraSource = root / "extra.txt";
        return built.installer;
    }

    std::unique_ptr<InstallerProcess> start(const Bytes& installer,
                                            const std::vector<std::string>& variables = {}) {
        const std::string exe = scratch + "setup.exe";
        writeFileBytes(exe, installer);
        auto process = std::make_unique<InstallerProcess>(exe, childTemp, variables);
        EXPECT_TRUE(process->started());
        return process;
    }

    static std::string fileText(const fs::path& path) { return readFileText(path.string()); }

    // Every record of the content folder, sub-folders included, byte-exact in the wallpaper
    // folder.
    void expectContentInstalled() {
        int records = 0;
        for (const auto& entry : fs::recursive_directory_iterator(contentRoot)) {
            if (!entry.is_regular_file()) continue;
            const std::string relative = fs::relative(entry.path(), contentRoot).string();
            std::string installed = wallpaperFolder("Autumn") + relative;
            for (char& c : installed)
                if (c == '/') c = '\\';
            EXPECT_EQ(readFileText(installed), fileText(entry.path())) << relative;
            ++records;
        }
        EXPECT_EQ(records, 3);
    }

    void expectNothingInstalled() {
        EXPECT_FALSE(pathExists(wallpaperFolder("Autumn")));
        EXPECT_FALSE(pathExists(page("Autumn")));
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }

    void pressInstall(HWND form) {
        const HWND install = controlWithId(form, app::installBtn);
        ASSERT_TRUE(install);
        ::PostMessageA(install, BM_CLICK, 0, 0);
    }

    std::string scratch;
    std::string childTemp;
    std::string windows;
    std::optional<std::string> savedBackground;
    FlashPlayerSetup flashPlayer;
    fs::path contentRoot;
    fs::path pageSource;
    fs::path uninstallerSource;
    fs::path extraSource;
    int builds = 0;
};

TEST_F(InstallRun, PicturePackageInstallsEverythingAndTheWindowCloses) {
    // A per-user entry of ours goes when the machine's is written.
    writeString(HKEY_CURRENT_USER, kUninstallKey, "UninstallString",
                windowsFolderFromEnvironment() + "WEB\\Wallpaper\\Autumn dir\\uninstall.exe");
    auto process = start(build(RunRecipe{}));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    pressInstall(form);

    // A fresh start-up asks no overwrite question: the first box is the success box.
    const auto success = answerWith(process->id(), "&No", 60000);
    ASSERT_TRUE(success);
    EXPECT_EQ(success->title, "Installation Successful.");
    EXPECT_EQ(success->texts, std::vector<std::string>{
                                  "The installation of the wallpaper was successful.\r\n\r\nWould "
                                  "you like to open the Display Properties control panel?"});
    EXPECT_EQ(success->buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_FALSE(success->hasIcon && success->icon) << "no icon";
    ASSERT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_TRUE(isEmptyFolder(childTemp));

    const std::string folder = wallpaperFolder("Autumn");
    EXPECT_EQ(readFileText(page("Autumn")), fileText(pageSource));
    EXPECT_EQ(readFileText(folder + "uninstall.exe"), fileText(uninstallerSource));
    EXPECT_FALSE(pathExists(folder + "Autumn.ssd")) << "the data file is deleted";
    EXPECT_FALSE(pathExists(folder + "uninstaller-record.txt")) << "no slot 10: not started";
    expectContentInstalled();

    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), page("Autumn"));
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "255 128 0");
    EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x0001u);
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Autumn Wallpaper");
    // Quoted, from the folder the files were written to.
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
              '"' + folder + "uninstall.exe\"");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
}

// The Windows folder's impborl.dll and flashax.exe held open by another program (a second run
// of the same installer, say) but already holding the package's bytes: used as written, without
// a box, and the installation expands its compressed records through the library loaded from
// the held file.
TEST_F(InstallRun, BusyFilesThatAreAlreadyThePackagesAreUsed) {
    const Bytes installer = build(RunRecipe{});
    const std::string library = windows + "impborl.dll";
    const std::string flash = windows + "flashax.exe";
    ASSERT_TRUE(::CopyFileA(hostPath(E2E_IMPBORL_DLL).c_str(), library.c_str(), FALSE));
    const std::string slot2 = "stand-in Flash player installer";  // what build() puts there
    writeFileBytes(flash, Bytes(slot2.begin(), slot2.end()));
    std::vector<FileHandle> held;
    for (const std::string& path : {library, flash}) {
        held.emplace_back(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.back()) << path;
    }
    auto process = start(installer);
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    EXPECT_FALSE(findWindowOf(process->id(), "#32770")) << "no box";
    pressInstall(form);
    const auto success = answerWith(process->id(), "&No", 60000);
    ASSERT_TRUE(success);
    EXPECT_EQ(success->title, "Installation Successful.");
    ASSERT_TRUE(process->waitForExit(kExitTimeout));
    expectContentInstalled();
}

TEST_F(InstallRun, ActiveDesktopIsSwitchedOnEmptyThenGivenThePageOnTwoInstances) {
    // Per user, as on Windows, where the user's classes come first; and in the machine's
    // classes, the only ones Wine's COM looks at, in place of its own object for the run.
    const std::string library = hostPath(E2E_ACTIVE_DESKTOP_STANDIN);
    const StandInServerRegistration forUser(HKEY_CURRENT_USER, kActiveDesktopClass, library);
    ASSERT_TRUE(forUser.registered());
    const StandInServerRegistration forMachine(HKEY_LOCAL_MACHINE, kActiveDesktopClass, library);
    ASSERT_TRUE(forMachine.registered());
    const std::string log = scratch + "active-desktop.log";
    auto process = start(build(RunRecipe{}), {"VELUMAR_AD_LOG=" + log});
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    pressInstall(form);
    const auto success = answerWith(process->id(), "&No", 60000);
    ASSERT_TRUE(success);
    EXPECT_EQ(success->title, "Installation Successful.");
    ASSERT_TRUE(process->waitForExit(kExitTimeout));

    // The first instance switches the Active Desktop on with no wallpaper; the second, made
    // after the colour and the registry are written, gives it the page.
    const std::string pagePath = page("Autumn");
    EXPECT_EQ(readFileText(log),
              "create\n"
              "SetDesktopItemOptions 12 -1 -1 0\n"
              "SetWallpaper  0\n"
              "ApplyChanges 15\n"
              "release\n"
              "create\n"
              "SetDesktopItemOptions 12 -1 -1 0\n"
              "SetWallpaper " +
                  pagePath +
                  " 0\n"
                  "ApplyChanges 15\n"
                  "release\n");
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), pagePath);
    EXPECT_EQ(readFileText(pagePath), fileText(pageSource));
}

TEST_F(InstallRun, StatusReadsCompleteBeforeTheSuccessBox) {
    auto process = start(build(RunRecipe{}));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    pressInstall(form);
    const HWND box = waitForWindow(process->id(), "#32770", 60000);
    ASSERT_TRUE(box);
    EXPECT_EQ(textOf(controlWithId(form, app::labCopying)),
              "Velumar Installation and Setup Complete.");
    EXPECT_TRUE(::IsWindowVisible(controlWithId(form, app::doneBtn)));
    EXPECT_FALSE(::IsWindowVisible(controlWithId(form, app::installBtn)));
    EXPECT_TRUE(answerWith(process->id(), "&No"));
    EXPECT_TRUE(process->waitForExit(kExitTimeout));
}

// What start-up wrote goes with the folder it made when the window closes without an
// installation, so the next run finds no folder and asks no overwrite question.
TEST_F(InstallRun, CancelBeforeInstallingLeavesNoFolderAndTheNextRunAsksNothing) {
    const Bytes installer = build(RunRecipe{});
    {
        auto process = start(installer);
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        EXPECT_TRUE(pathExists(wallpaperFolder("Autumn") + "installer.BMP"));
        ::PostMessageA(form, WM_CLOSE, 0, 0);
        EXPECT_EQ(process->waitForExit(kExitTimeout), std::optional<DWORD>(kExitCancelled));
        EXPECT_FALSE(pathExists(wallpaperFolder("Autumn")));
    }
    {
        auto process = start(installer);
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        ::PostMessageA(controlWithId(form, app::cancelBtn), BM_CLICK, 0, 0);
        EXPECT_EQ(process->waitForExit(kExitTimeout), std::optional<DWORD>(kExitCancelled));
        EXPECT_FALSE(pathExists(wallpaperFolder("Autumn")));
    }
    auto process = start(installer);
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    pressInstall(form);
    const auto success = answerWith(process->id(), "&No", 60000);
    ASSERT_TRUE(success);
    EXPECT_EQ(success->title, "Installation Successful.") << "no overwrite question";
    EXPECT_EQ(process->waitForExit(kExitTimeout), std::optional<DWORD>(kExitInstalled));
    EXPECT_TRUE(pathExists(wallpaperFolder("Autumn") + "uninstall.exe")) << "kept once installed";
}

// A folder that was there before the run stays when the window closes without installing.
TEST_F(InstallRun, EnterOnTheOpenWindowInstalls) {
    auto process = start(build(RunRecipe{}));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    ::Sleep(500);
    EXPECT_EQ(focusOf(form), controlWithId(form, app::installBtn));
    pressKey(form, VK_RETURN);
    const auto success = answerWith(process->id(), "&No", 60000);
    ASSERT_TRUE(success);
    EXPECT_EQ(success->title, "Installation Successful.");
    ASSERT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_TRUE(pathExists(wallpaperFolder("Autumn") + "uninstall.exe"));
}

TEST_F(InstallRun, CancelKeepsAFolderThatExistedBefore) {
    forceFolder(wallpaperFolder("Autumn"));
    writeFileBytes(wallpaperFolder("Autumn") + "mine.txt", Bytes{'m'});
    auto process = start(build(RunRecipe{}));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    ::PostMessageA(form, WM_CLOSE, 0, 0);
    ASSERT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_EQ(readFileText(wallpaperFolder("Autumn") + "mine.txt"), "m");
}

// A Windows folder without "Web": the installer makes "Web\Wallpaper\" itself. The prefix's own
// "Web" is moved aside for the run and put back afterwards.
TEST_F(InstallRun, MissingWebFolderIsCreated) {
    const std::string web = windows + "Web";
    const std::string saved = scratch + "saved-web";
    const bool hadWeb = pathExists(web);
    if (hadWeb) {
        ASSERT_TRUE(::MoveFileA(web.c_str(), saved.c_str()));
    }
    // No ASSERT in the run: the prefix's folder must be put back whatever happens.
    [&] {
        auto process = start(build(RunRecipe{}));
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        if (!form) return ADD_FAILURE() << "no installer window";
        pressInstall(form);
        const auto success = answerWith(process->id(), "&No", 60000);
        if (!success) return ADD_FAILURE() << "no success box";
        EXPECT_EQ(success->title, "Installation Successful.");
        EXPECT_TRUE(process->waitForExit(kExitTimeout));
        EXPECT_TRUE(pathExists(wallpaperFolder("Autumn") + "uninstall.exe"));
        EXPECT_TRUE(pathExists(page("Autumn")));
    }();
    cleanUp();
    if (hadWeb) {
        deleteFolderTree(web + "\\");
        EXPECT_TRUE(::MoveFileA(saved.c_str(), web.c_str()));
    }
}

TEST_F(InstallRun, OverwriteQuestionOnlyForAnExistingFolderAndCancelTouchesNothing) {
    forceFolder(wallpaperFolder("Autumn"));
    writeFileBytes(wallpaperFolder("Autumn") + "mine.txt", Bytes{'m'});
    auto process = start(build(RunRecipe{}));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);

    for (int round = 0; round < 2; ++round) {
        pressInstall(form);
        const auto question = answerWith(process->id(), "Cancel");
        ASSERT_TRUE(question);
        EXPECT_EQ(question->title, "Confirm");
        EXPECT_EQ(question->texts,
                  std::vector<std::string>{"Autumn wallpaper already exists.  Overwrite?"});
        EXPECT_EQ(question->buttons, (std::vector<std::string>{"OK", "Cancel"}));
        EXPECT_TRUE(question->hasIcon);
        ::Sleep(300);
        EXPECT_FALSE(pathExists(page("Autumn")));
        EXPECT_FALSE(pathExists(wallpaperFolder("Autumn") + "uninstall.exe"));
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_EQ(readFileText(wallpaperFolder("Autumn") + "mine.txt"), "m");
        EXPECT_TRUE(::IsWindowEnabled(controlWithId(form, app::installBtn)));
        EXPECT_TRUE(::IsWindowVisible(controlWithId(form, app::installBtn)));
    }
    // OK goes on with the installation.
    pressInstall(form);
    const auto question = answerWith(process->id(), "OK");
    ASSERT_TRUE(question);
    EXPECT_EQ(question->title, "Confirm");
    const auto success = answerWith(process->id(), "&No", 60000);
    ASSERT_TRUE(success);
    EXPECT_EQ(success->title, "Installation Successful.");
    EXPECT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_EQ(readFileText(page("Autumn")), fileText(pageSource));
}

TEST_F(InstallRun, CancelDuringTheInstallationRemovesEverythingAndEnds) {
    RunRecipe recipe;
    recipe.extraSlot = true;
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    const HWND cancel = controlWithId(form, app::cancelBtn);
    ASSERT_TRUE(cancel);
    // Both presses are queued together: Cancel is handled in the run's first message pump.
    pressInstall(form);
    ::PostMessageA(cancel, BM_CLICK, 0, 0);
    EXPECT_EQ(process->waitForExit(60000), std::optional<DWORD>(kExitCancelled));
    EXPECT_FALSE(findWindowOf(process->id(), "#32770")) << "no success box";
    expectNothingInstalled();
    EXPECT_TRUE(isEmptyFolder(childTemp));
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), "");
}

TEST_F(InstallRun, SilentKindInstallsWithoutAWindowAndStartsTheUninstallerWithB) {
    writeNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags", 0x0001);
    RunRecipe recipe;
    recipe.kind = "silent";
    recipe.offerDisplayProperties = false;
    recipe.extraSlot = true;
    auto process = start(build(recipe));
    const auto code = process->waitForExit(60000);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, DWORD(kExitInstalled));
    EXPECT_FALSE(findWindowOf(process->id(), app::kInstallerFormClass));
    EXPECT_TRUE(isEmptyFolder(childTemp));

    const std::string folder = wallpaperFolder("Autumn");
    EXPECT_EQ(readFileText(page("Autumn")), fileText(pageSource));
    EXPECT_EQ(readFileText(folder + "extra.txt"), fileText(extraSource));
    expectContentInstalled();
    EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x0001u);
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), page("Autumn"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    // The uninstaller stand-in records its arguments and working folder beside itself.
    std::string record;
    for (int waited = 0; waited < 200 && record.empty(); ++waited) {
        record = readFileText(folder + "uninstaller-record.txt");
        if (record.empty()) ::Sleep(50);
    }
    EXPECT_EQ(record, "/b\n" + folder.substr(0, folder.size() - 1) + "\n");
}

TEST_F(InstallRun, UninstallerFromTheEntryRemovesTheInstallationAndLeavesOthers) {
    // Another wallpaper that must stay.
    forceFolder(wallpaperFolder("Winter"));
    writeFileBytes(wallpaperFolder("Winter") + "w.txt", Bytes{'w'});
    writeFileBytes(page("Winter"), Bytes{'p'});
    writeString(HKEY_LOCAL_MACHINE, kOtherUninstallKey, "DisplayName", "Winter Wallpaper");

    RunRecipe recipe;
    recipe.uninstaller = hostPath(E2E_UNINSTALL_EXE);
    recipe.offerDisplayProperties = false;
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    pressInstall(form);
    if (!process->waitForExit(60000)) {
        const HWND box = findWindowOf(process->id(), "#32770");
        ASSERT_FALSE(box) << ::testing::PrintToString(testing::inspectDialog(box).texts);
        FAIL() << "the installer did not end: " << textOf(controlWithId(form, app::labCopying));
    }
    const auto command = readString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    ASSERT_TRUE(command);
    ASSERT_TRUE(pathExists(page("Autumn")));
    // "...\Web\Wallpaper\Autumn dir\uninstall.exe" unquoted would start this one instead.
    ASSERT_TRUE(::CopyFileA(hostPath(E2E_UNINSTALLER_STANDIN).c_str(),
                            (windows + "Web\\Wallpaper\\Autumn.exe").c_str(), FALSE));

    std::string commandLine = *command;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info));
    ::CloseHandle(info.hThread);
    const auto question = answerWith(info.dwProcessId, "&Yes");
    ::WaitForSingleObject(info.hProcess, kExitTimeout);
    ::CloseHandle(info.hProcess);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->texts, std::vector<std::string>{"Remove the Autumn Wallpaper?"});

    // The copy finishes the removal once the original has ended.
    // The copy that does the removal ends after the program the test started.
    for (int waited = 0; waited < 400 && (pathExists(wallpaperFolder("Autumn")) ||
                                          keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
         ++waited)
        ::Sleep(50);
    expectNothingInstalled();
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), "");
    EXPECT_EQ(readFileText(wallpaperFolder("Winter") + "w.txt"), "w");
    EXPECT_EQ(readFileText(page("Winter")), "p");
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kOtherUninstallKey));
    EXPECT_FALSE(pathExists(windows + "Web\\Wallpaper\\uninstaller-record.txt"))
        << "the program planted at the path's first word was started";
}

// An entry written before the command was quoted (WINDIR + "WEB\Wallpaper\...", no quotes)
// still starts the uninstaller, which accepts it as its own and removes the installation.
TEST_F(InstallRun, UninstallEntryWrittenTheOldWayStillRemovesTheInstallation) {
    RunRecipe recipe;
    recipe.kind = "silent";
    recipe.offerDisplayProperties = false;
    recipe.uninstaller = hostPath(E2E_UNINSTALL_EXE);
    auto process = start(build(recipe));
    ASSERT_EQ(process->waitForExit(60000), std::optional<DWORD>(kExitInstalled));
    const std::string old =
        windowsFolderFromEnvironment() + "WEB\\Wallpaper\\Autumn dir\\uninstall.exe";
    writeString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", old);

    const auto uninstaller = startRaw(old);
    ASSERT_TRUE(uninstaller);
    const auto question = answerWith(uninstaller->dwProcessId, "&Yes");
    ::WaitForSingleObject(uninstaller->hProcess, kExitTimeout);
    ::CloseHandle(uninstaller->hProcess);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->texts, std::vector<std::string>{"Remove the Autumn Wallpaper?"});
    for (int waited = 0; waited < 400 && (pathExists(wallpaperFolder("Autumn")) ||
                                          keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
         ++waited)
        ::Sleep(50);
    expectNothingInstalled();
}

std::wstring wide(const std::string& utf8) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), length);
    return text;
}

bool widePathExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::wstring> readWideString(HKEY root, const std::wstring& path,
                                           const wchar_t* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    const LONG status =
        ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::wstring(value);
}

// An author's UTF-8 manifest with accented names, built by the package tool and installed on a
// Western Windows: the user sees the names as the author wrote them, and the uninstaller finds
// them again. Checked through the wide functions, which show what the user sees.
// A folder link put into the wallpaper folder: the uninstaller removes the installation and
// never enters the link; what it points at is untouched.
TEST_F(InstallRun, UninstallerDoesNotFollowALinkInTheWallpaperFolder) {
    const std::string victim = scratch + "victim";
    ::CreateDirectoryA(victim.c_str(), nullptr);
    writeFileBytes(victim + "\\precious.txt", Bytes{'p'});
    RunRecipe recipe;
    recipe.kind = "silent";
    recipe.offerDisplayProperties = false;
    recipe.uninstaller = hostPath(E2E_UNINSTALL_EXE);
    auto process = start(build(recipe));
    ASSERT_EQ(process->waitForExit(60000), std::optional<DWORD>(kExitInstalled));
    const std::string link = wallpaperFolder("Autumn") + "media\\link";
    ASSERT_TRUE(testing::makeFolderLink(link, victim)) << "no way to make a folder link here";

    const auto command = readString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    ASSERT_TRUE(command);
    const auto uninstaller = startRaw(*command);
    ASSERT_TRUE(uninstaller);
    ASSERT_TRUE(answerWith(uninstaller->dwProcessId, "&Yes"));
    ::WaitForSingleObject(uninstaller->hProcess, kExitTimeout);
    ::CloseHandle(uninstaller->hProcess);
    for (int waited = 0; waited < 400 && keyExists(HKEY_LOCAL_MACHINE, kUninstallKey); ++waited)
        ::Sleep(50);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(readFileText(victim + "\\precious.txt"), "p");
    // Wine cannot remove the link from the Windows side: the folder around it stays there.
    if (testing::isFolderLink(link)) testing::removeFolderLink(link);
}

TEST_F(InstallRun, Utf8NamesReachAWesternWindowsAsTheAuthorWroteThem) {
    ASSERT_EQ(::GetACP(), 1252u) << "the test stands for a Western Windows";
    const fs::path root(scratch + "accented");
    fs::create_directories(root / "content");
    const auto write = [&](const fs::path& name, const std::string& text) {
        std::ofstream(root / name, std::ios::binary) << text;
    };
    write("flashax.exe", "stand-in Flash player installer");
    write("page.html", "<html><body>wallpaper</body></html>");
    write(fs::path(u8"content/café.txt"), "café au lait");
    fs::copy_file(fs::path(hostPath(std::string(E2E_EXAMPLES_DIR) + "/sample/preview.bmp")),
                  root / "preview.bmp");
    const std::string text =
        "[package]\nkind = picture\nwallpaperName = Été Doré\n"
        "offerDisplayProperties = no\n"
        "[slot2]\nfile = flashax.exe\n[slot3]\nfile = preview.bmp\n"
        "[slot6]\nfile = page.html\n[slot9]\nfile = " +
        hostPath(E2E_UNINSTALL_EXE) + "\n[data]\nfolder = content\n";
    const BuiltInstaller built = buildFromManifest(text, root / "test.ini");
    ASSERT_TRUE(built.ok()) << built.failure;

    auto process = start(built.installer);
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    EXPECT_EQ(textOf(form), "Install Wallpaper: " + std::string(kWesternName));
    pressInstall(form);
    if (!process->waitForExit(60000)) {
        const HWND box = findWindowOf(process->id(), "#32770");
        ASSERT_FALSE(box) << ::testing::PrintToString(testing::inspectDialog(box).texts);
        FAIL() << "the installer did not end: " << textOf(controlWithId(form, app::labCopying));
    }

    const std::wstring wallpaper = wide(windows) + L"Web\\Wallpaper\\";
    const std::wstring key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + wide("Été Doré");
    EXPECT_TRUE(widePathExists(wallpaper + wide("Été Doré.html")));
    EXPECT_TRUE(widePathExists(wallpaper + wide("Été Doré dir\\café.txt")));
    EXPECT_EQ(readFileText(wallpaperFolder(kWesternName) + "caf\xE9.txt"), "café au lait");
    EXPECT_EQ(readWideString(HKEY_LOCAL_MACHINE, key, L"DisplayName"), wide("Été Doré Wallpaper"));
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), page(kWesternName));
    const auto command = readString(HKEY_LOCAL_MACHINE, kWesternUninstallKey, "UninstallString");
    ASSERT_TRUE(command);

    const auto uninstaller = startRaw(*command);
    ASSERT_TRUE(uninstaller);
    const auto question = answerWith(uninstaller->dwProcessId, "&Yes");
    ::WaitForSingleObject(uninstaller->hProcess, kExitTimeout);
    ::CloseHandle(uninstaller->hProcess);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->texts,
              std::vector<std::string>{"Remove the " + std::string(kWesternName) + " Wallpaper?"});
    for (int waited = 0; waited < 400 && (widePathExists(wallpaper + wide("Été Doré dir")) ||
                                          keyExists(HKEY_LOCAL_MACHINE, kWesternUninstallKey));
         ++waited)
        ::Sleep(50);
    EXPECT_FALSE(widePathExists(wallpaper + wide("Été Doré dir")));
    EXPECT_FALSE(widePathExists(wallpaper + wide("Été Doré.html")));
    EXPECT_FALSE(readWideString(HKEY_LOCAL_MACHINE, key, L"DisplayName"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kWesternUninstallKey));
}

// Sets Wine's reported Windows version for the test's lifetime.
class WineVersion {
  public:
    explicit WineVersion(const char* version) {
        saved_ = readString(HKEY_CURRENT_USER, kWineKey, "Version");
        writeString(HKEY_CURRENT_USER, kWineKey, "Version", version);
    }
    ~WineVersion() {
        if (saved_) {
            writeString(HKEY_CURRENT_USER, kWineKey, "Version", *saved_);
            return;
        }
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, kWineKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            ::RegDeleteValueA(key, "Version");
            ::RegCloseKey(key);
        }
    }

  private:
    static constexpr char kWineKey[] = "Software\\Wine";
    std::optional<std::string> saved_;
};

TEST_F(InstallRun, OnWindows98TheShortUninstallStringRemovesTheInstallation) {
    const WineVersion windows98("win98");
    RunRecipe recipe;
    recipe.kind = "silent";
    recipe.offerDisplayProperties = false;
    recipe.uninstaller = hostPath(E2E_UNINSTALL_EXE);
    auto process = start(build(recipe));
    ASSERT_TRUE(process->waitForExit(60000));
    const std::string longForm =
        windowsFolderFromEnvironment() + "WEB\\Wallpaper\\Autumn dir\\uninstall.exe";
    char shortForm[MAX_PATH + 1] = {};
    ASSERT_NE(::GetShortPathNameA(longForm.c_str(), shortForm, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortForm), longForm);
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
              std::string(shortForm));

    const std::string wininit = windows + "WININIT.INI";
    const std::string wininitBefore = readFileText(wininit);
    const auto uninstaller = startRaw(shortForm);
    ASSERT_TRUE(uninstaller);
    const auto question = answerWith(uninstaller->dwProcessId, "&Yes");
    ::WaitForSingleObject(uninstaller->hProcess, kExitTimeout);
    ::CloseHandle(uninstaller->hProcess);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->texts, std::vector<std::string>{"Remove the Autumn Wallpaper?"});
    // The copy that does the removal ends after the program the test started.
    for (int waited = 0; waited < 400 && (pathExists(wallpaperFolder("Autumn")) ||
                                          keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
         ++waited)
        ::Sleep(50);
    expectNothingInstalled();
    // The temporary copy is named in WININIT.INI's [rename] section for the next start.
    std::string wininitAfter;
    for (int waited = 0; waited < 100 && wininitAfter == wininitBefore; ++waited) {
        wininitAfter = readFileText(wininit);
        if (wininitAfter == wininitBefore) ::Sleep(50);
    }
    const size_t line = wininitAfter.find("[rename]\r\nNUL=");
    ASSERT_NE(line, std::string::npos) << wininitAfter;
    // The short form of the copy in its temporary folder (VLMRU and eight hex digits).
    const size_t start = line + std::string("[rename]\r\nNUL=").size();
    const std::string named = wininitAfter.substr(start, wininitAfter.find("\r\n", start) - start);
    char namedLong[MAX_PATH + 1] = {};
    ::GetLongPathNameA(named.c_str(), namedLong, MAX_PATH);
    const std::string copy(namedLong);
    const size_t folder = copy.rfind("\\VLMRU");
    ASSERT_NE(folder, std::string::npos) << named << " " << copy;
    EXPECT_EQ(copy.substr(folder + 14), "\\uninstall.exe") << copy;
    if (wininitBefore.empty()) {
        deleteFileQuiet(wininit);
    } else {
        writeFileBytes(wininit, Bytes(wininitBefore.begin(), wininitBefore.end()));
    }
}

// A copy of the uninstaller in a folder it does not belong to, started by the user or with a
// crafted "/continue", says so and deletes nothing: not the folder, not the page of that name
// beside it, not an Uninstall entry of that name.
TEST_F(InstallRun, UninstallerOutsideAnInstalledWallpaperChangesNothing) {
    const std::string foreign = scratch + "X dir\\";
    const std::string unregistered = wallpaperFolder("Winter");
    for (const std::string& folder : {foreign, unregistered}) {
        forceFolder(folder + "sub\\");
        writeFileBytes(folder + "sub\\keep.txt", Bytes{'k'});
        ASSERT_TRUE(::CopyFileA(hostPath(E2E_UNINSTALL_EXE).c_str(),
                                (folder + "uninstall.exe").c_str(), FALSE));
    }
    writeFileBytes(scratch + "X.html", Bytes{'x'});
    writeFileBytes(page("Winter"), Bytes{'p'});
    constexpr char kForeignKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X";
    writeString(HKEY_LOCAL_MACHINE, kForeignKey, "UninstallString", foreign + "uninstall.exe");

    const std::vector<std::string> commands = {
        foreign + "uninstall.exe",
        unregistered + "uninstall.exe",
        '"' + foreign + "uninstall.exe\" /continue 0 \"" + foreign.substr(0, foreign.size() - 1) +
            '"',
        '"' + foreign + "uninstall.exe\" /continue 0 \"" + unregistered + '"',
    };
    for (const std::string& command : commands) {
        const auto uninstaller = startRaw(command);
        ASSERT_TRUE(uninstaller) << command;
        const auto box = answerWith(uninstaller->dwProcessId, "OK");
        DWORD code = 0;
        ::WaitForSingleObject(uninstaller->hProcess, kExitTimeout);
        ::GetExitCodeProcess(uninstaller->hProcess, &code);
        ::CloseHandle(uninstaller->hProcess);
        ASSERT_TRUE(box) << command;
        EXPECT_EQ(
            box->texts,
            std::vector<std::string>{"This program does not belong to an installed wallpaper. "
                                     "Nothing was changed."})
            << command;
        EXPECT_EQ(code, 1u) << command;
    }
    for (const std::string& folder : {foreign, unregistered}) {
        EXPECT_EQ(readFileText(folder + "sub\\keep.txt"), "k");
        EXPECT_TRUE(pathExists(folder + "uninstall.exe"));
    }
    EXPECT_EQ(readFileText(scratch + "X.html"), "x");
    EXPECT_EQ(readFileText(page("Winter")), "p");
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kForeignKey));
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, kForeignKey);
}

// After a failed run: the failure text with the code, Install disabled, Cancel visible and
// the window still there; Cancel (or the close box) then ends the installer.
void expectFailureThenCancelEnds(InstallerProcess& process, HWND form, int code,
                                 bool closeBox = false) {
    EXPECT_EQ(waitForStatusOf(form,
                              "Install failed. Please try again with new copy of the "
                              "installer. Error: " +
                                  std::to_string(code)),
              "Install failed. Please try again with new copy of the installer. Error: " +
                  std::to_string(code));
    EXPECT_FALSE(process.waitForExit(1000)) << "the window stays";
    EXPECT_TRUE(::IsWindowVisible(form));
    EXPECT_FALSE(::IsWindowEnabled(controlWithId(form, app::installBtn)));
    const HWND cancel = controlWithId(form, app::cancelBtn);
    ASSERT_TRUE(cancel);
    EXPECT_TRUE(::IsWindowVisible(cancel));
    ::PostMessageA(closeBox ? form : cancel, closeBox ? WM_CLOSE : BM_CLICK, 0, 0);
    EXPECT_TRUE(process.waitForExit(kExitTimeout));
}

TEST_F(InstallRun, DataRecordOfTheWrongLengthFailsWithMinus13AndIsCleanedUp) {
    Bytes installer = build(RunRecipe{});
    ASSERT_TRUE(lengthenDataRecord(installer, "media\\movie.swf"));
    auto process = start(installer);
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    pressInstall(form);
    // The close box is refused while the run is busy, and ends the installer after the failure.
    ASSERT_EQ(waitForStatusOf(form, "Writing Velumar files..."), "Writing Velumar files...");
    ::PostMessageA(form, WM_CLOSE, 0, 0);
    // A data record's -13 has no message of its own: only the failure text tells.
    expectFailureThenCancelEnds(*process, form, -13, true);
    EXPECT_FALSE(findWindowOf(process->id(), "#32770")) << "no message box";
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn") + "media\\movie.swf"));
    expectNothingInstalled();
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_TRUE(isEmptyFolder(childTemp));
    // The wallpaper was never set up.
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), "");
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "0 0 0");
    EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x2001u);
}

// The silent kind has no window to show a failure in: a failed run ends the installer with no
// box at all (a box would hold the process until answered), and is cleaned up.
TEST_F(InstallRun, SilentKindWithAFailedRunEndsWithoutABoxAndIsCleanedUp) {
    RunRecipe recipe;
    recipe.kind = "silent";
    Bytes installer = build(recipe);
    ASSERT_TRUE(lengthenDataRecord(installer, "media\\movie.swf"));
    auto process = start(installer);
    EXPECT_EQ(process->waitForExit(60000), std::optional<DWORD>(kExitFailed));
    EXPECT_FALSE(findWindowOf(process->id(), app::kInstallerFormClass));
    expectNothingInstalled();
    EXPECT_TRUE(isEmptyFolder(childTemp));
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), "");
}

// A download cut short or with one byte changed, wherever it is, is refused at start-up with
// the box that says to download it again, before anything but the package copy is written;
// the exit code tells a script so.
TEST_F(InstallRun, DamagedDownloadIsRefusedBeforeAnythingIsWritten) {
    RunRecipe recipe;
    recipe.kind = "silent";
    recipe.offerDisplayProperties = false;
    const Bytes sound = build(recipe);
    ASSERT_FALSE(sound.empty());
    const package::PackageHeader header = headerOf(sound);
    const auto withByteChanged = [&](int slot) {
        const package::PackageEntry& entry = header.slot(slot);
        Bytes bytes = sound;
        bytes[size_t(entry.startOffset + entry.storedLength() / 2)] ^= 0x20;
        return bytes;
    };
    const std::vector<std::pair<std::string, Bytes>> downloads = {
        {"cut short by 4 KB", Bytes(sound.begin(), sound.end() - 4096)},
        {"a byte changed in the uninstaller", withByteChanged(package::slots::uninstaller)},
        {"a byte changed in the data file", withByteChanged(package::slots::dataFile)},
        {"a byte changed in the player installer", withByteChanged(package::slots::flashInstaller)},
    };
    const std::string text =
        "Installer file is corrupted. Corvana Error: -541. \r\n\r\nThe installer file was "
        "damaged on its way to this computer. Please download it again.";
    for (const auto& [label, installer] : downloads) {
        SCOPED_TRACE(label);
        auto process = start(installer);
        const auto box = answerDialog(process->id(), kWindowTimeout);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->texts, std::vector<std::string>{text});
        EXPECT_EQ(process->waitForExit(kExitTimeout), std::optional<DWORD>(kExitDamaged));
        expectNothingInstalled();
        EXPECT_FALSE(pathExists(windows + "impborl.dll"));
        EXPECT_FALSE(pathExists(windows + "flashax.exe"));
        EXPECT_TRUE(isEmptyFolder(childTemp));
    }

    // The window kinds refuse it before the window opens.
    RunRecipe picture;
    const Bytes window = build(picture);
    auto process = start(Bytes(window.begin(), window.end() - 4096));
    const auto box = answerDialog(process->id(), kWindowTimeout);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts, std::vector<std::string>{text});
    EXPECT_EQ(process->waitForExit(kExitTimeout), std::optional<DWORD>(kExitDamaged));
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn")));
}

// An installer without the record, as built before there was one, installs as before.
TEST_F(InstallRun, InstallerBuiltWithoutTheRecordInstalls) {
    RunRecipe recipe;
    recipe.kind = "silent";
    recipe.offerDisplayProperties = false;
    Bytes installer = build(recipe);
    ASSERT_FALSE(installer.empty());
    std::fill_n(installer.begin() + packageOffsetOf() + 8, 8, 0);
    auto process = start(installer);
    EXPECT_EQ(process->waitForExit(60000), std::optional<DWORD>(kExitInstalled));
    expectContentInstalled();
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// A reinstall over an earlier installation of the same name: when it fails or is cancelled the
// earlier one is there again exactly as it was, a file of the user's own in its folder
// included; when it succeeds nothing of the earlier one is left aside.
TEST_F(InstallRun, FailedOrCancelledReinstallGivesTheEarlierInstallationBack) {
    RunRecipe silent;
    silent.kind = "silent";
    silent.offerDisplayProperties = false;
    {
        auto earlier = start(build(silent));
        ASSERT_EQ(earlier->waitForExit(60000), std::optional<DWORD>(kExitInstalled));
    }
    writeFileBytes(wallpaperFolder("Autumn") + "mine.txt", Bytes{'m', 'i', 'n', 'e'});
    writeString(HKEY_CURRENT_USER, kColorsKey, "Background", "7 7 7");
    const std::string before = describeInstallation(windows, "Autumn");
    const std::string userDesktop =
        readFileText(wallpaperFolder("Autumn") + "previous desktop.ini");
    ASSERT_FALSE(userDesktop.empty());

    Bytes failing = build(silent);
    ASSERT_TRUE(lengthenDataRecord(failing, "media\\movie.swf"));
    {
        auto process = start(failing);
        EXPECT_EQ(process->waitForExit(60000), std::optional<DWORD>(kExitFailed));
    }
    EXPECT_EQ(describeInstallation(windows, "Autumn"), before) << "after a failed reinstall";

    RunRecipe picture;
    picture.offerDisplayProperties = false;
    {
        auto process = start(build(picture));
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        pressInstall(form);
        const auto question = answerWith(process->id(), "OK");
        ASSERT_TRUE(question);
        EXPECT_EQ(question->title, "Confirm");
        ::PostMessageA(controlWithId(form, app::cancelBtn), BM_CLICK, 0, 0);
        EXPECT_EQ(process->waitForExit(60000), std::optional<DWORD>(kExitCancelled));
    }
    EXPECT_EQ(describeInstallation(windows, "Autumn"), before) << "after a cancelled reinstall";

    {
        auto process = start(build(silent));
        EXPECT_EQ(process->waitForExit(60000), std::optional<DWORD>(kExitInstalled));
    }
    expectContentInstalled();
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn") + "mine.txt")) << "a fresh folder";
    EXPECT_EQ(readFileText(wallpaperFolder("Autumn") + "previous desktop.ini"), userDesktop)
        << "the desktop the user had before the first installation is still the one recorded";
    EXPECT_FALSE(pathExists(windows + "Web\\Wallpaper\\Autumn dir.old"));
    EXPECT_FALSE(pathExists(windows + "Web\\Wallpaper\\Autumn dir.old.ini"));
    EXPECT_FALSE(pathExists(windows + "Web\\Wallpaper\\Autumn.html.old"));
}

// A reinstall ended from outside leaves the earlier installation aside with its record; the
// next run of the installer gives it back at start-up, before the user does anything.
TEST_F(InstallRun, ReinstallEndedFromOutsideIsGivenBackByTheNextRun) {
    RunRecipe silent;
    silent.kind = "silent";
    silent.offerDisplayProperties = false;
    {
        auto earlier = start(build(silent));
        ASSERT_EQ(earlier->waitForExit(60000), std::optional<DWORD>(kExitInstalled));
    }
    writeFileBytes(wallpaperFolder("Autumn") + "mine.txt", Bytes{'m'});
    const std::string before = describeInstallation(windows, "Autumn");

    RunRecipe picture;
    picture.offerDisplayProperties = false;
    const Bytes installer = build(picture);
    {
        const std::string exe = scratch + "setup.exe";
        writeFileBytes(exe, installer);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::string commandLine = '"' + exe + '"';
        ASSERT_TRUE(::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, nullptr, &startup, &info));
        ::CloseHandle(info.hThread);
        const HWND form = waitForWindow(info.dwProcessId, app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        pressInstall(form);
        ASSERT_TRUE(answerWith(info.dwProcessId, "OK"));
        EXPECT_EQ(waitForStatusOf(form, "Writing Velumar files..."), "Writing Velumar files...");
        ::TerminateProcess(info.hProcess, 9);
        ::WaitForSingleObject(info.hProcess, kExitTimeout);
        ::CloseHandle(info.hProcess);
    }
    ASSERT_TRUE(pathExists(windows + "Web\\Wallpaper\\Autumn dir.old.ini"));
    ASSERT_TRUE(pathExists(windows + "Web\\Wallpaper\\Autumn dir.old\\mine.txt"));

    auto process = start(installer);
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    EXPECT_EQ(describeInstallation(windows, "Autumn"), before) << "given back at start-up";
    ::PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(process->waitForExit(kExitTimeout), std::optional<DWORD>(kExitCancelled));
    EXPECT_EQ(describeInstallation(windows, "Autumn"), before);
}

// Another program's uninstall entry of the wallpaper's name: the run ends with a box that says
// so before it writes anything, and the entry stays as it was.
TEST_F(InstallRun, ForeignUninstallEntryOfTheSameNameIsLeftAlone) {
    const std::string foreign = "\"C:\\Program Files\\Autumn Game\\uninst.exe\"";
    writeString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Autumn Game");
    writeString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", foreign);
    RunRecipe recipe;
    recipe.kind = "silent";
    recipe.offerDisplayProperties = false;
    auto process = start(build(recipe));
    const auto box = answerDialog(process->id(), 60000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts, std::vector<std::string>{
                              "Installation Error: The list of installed programs has an entry "
                              "\"Autumn\" that belongs to another program. The wallpaper was not "
                              "installed, and that entry was left as it is."});
    EXPECT_EQ(process->waitForExit(kExitTimeout), std::optional<DWORD>(kExitFailed));
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Autumn Game");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), foreign);
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn")));
    EXPECT_FALSE(pathExists(page("Autumn")));
}

TEST_F(InstallRun, EntryOfTheWrongLengthIsReportedWithMinus13AndIsCleanedUp) {
    RunRecipe recipe;
    recipe.compressedPage = true;
    Bytes installer = build(recipe);
    ASSERT_FALSE(installer.empty());
    package::PackageHeader header = headerOf(installer);
    header.slot(package::slots::wallpaperPage).size += 1;
    replaceHeader(installer, header);
    auto process = start(installer);
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    pressInstall(form);
    // The reporter's default wording: no system text for the program's own code.
    const auto box = answerDialog(process->id(), 60000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts,
              std::vector<std::string>{"Installation Error: \r\n\r\nProblem with file " +
                                       page("Autumn") + ". "});
    expectFailureThenCancelEnds(*process, form, -13);
    expectNothingInstalled();
    EXPECT_TRUE(isEmptyFolder(childTemp));
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), "");
}

TEST_F(InstallRun, CancelWhileWritingFilesStopsThereAndRemovesEverything) {
    RunRecipe recipe;
    recipe.extraSlot = true;
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    const HWND cancel = controlWithId(form, app::cancelBtn);
    const HWND progress = controlWithId(form, app::progressBar);
    ASSERT_TRUE(cancel && progress);
    pressInstall(form);
    ASSERT_EQ(waitForStatusOf(form, "Writing Velumar files..."), "Writing Velumar files...");
    // Each written entry steps the bar and pauses: press once it has moved on from here.
    const LRESULT start = ::SendMessageA(progress, PBM_GETPOS, 0, 0);
    LRESULT position = start;
    for (int waited = 0; waited < 200 && position == start; ++waited) {
        ::Sleep(20);
        position = ::SendMessageA(progress, PBM_GETPOS, 0, 0);
    }
    ASSERT_GT(position, start);
    ::PostMessageA(cancel, BM_CLICK, 0, 0);
    EXPECT_EQ(waitForStatusOf(form, "Installation Aborted. Cleaning up files...", 100),
              "Installation Aborted. Cleaning up files...");
    // While the aborted text shows, the entries after the current one were not written.
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn") + "uninstall.exe"));
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn") + "extra.txt"));
    ASSERT_TRUE(process->waitForExit(60000));
    EXPECT_FALSE(findWindowOf(process->id(), "#32770")) << "no success box";
    expectNothingInstalled();
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_TRUE(isEmptyFolder(childTemp));
    // Nothing after the entries was done: no wallpaper set up, no uninstaller started.
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), "");
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "0 0 0");
    EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x2001u);
}

// The log lines of the stand-in control for releasing it.
const std::vector<std::string> kFlashReleaseLines = {
    "call StopPlay", "unadvise events", "deactivate", "close", "site none", "destroyed"};

std::vector<std::string> logLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(readFileText(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The colour on screen a few pixels inside the window's top-left corner.
COLORREF colourInside(HWND window) {
    RECT bounds;
    ::GetWindowRect(window, &bounds);
    const HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, bounds.left + 6, bounds.top + 6);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

TEST_F(InstallRun, MovieKindsPreviewTheMovieInstallAndUnloadItOnClose) {
    for (const auto& [kind, movie, colour, shot] :
         {std::tuple{"movie", "aurora.swf", RGB(0x0A, 0x3D, 0x62), "kind2-movie.png"},
          std::tuple{"3", "media/aurora-cws.swf", RGB(0x38, 0xAD, 0xA9), "kind3-movie.png"}}) {
        SCOPED_TRACE(kind);
        RunRecipe recipe;
        recipe.kind = kind;
        recipe.movie = hostPath(std::string(E2E_EXAMPLES_DIR) + "/sample/content/" + movie);
        const std::string log = scratch + "flash-" + std::string(shot) + ".log";
        auto process = start(build(recipe), {"VELUMAR_FLASH_LOG=" + log});
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        const HWND panel = controlWithId(form, app::moviePanel1);
        ASSERT_TRUE(panel);
        const HWND control = ::GetWindow(panel, GW_CHILD);
        ASSERT_TRUE(control) << "the control's window in the panel";
        ::Sleep(300);
        EXPECT_EQ(focusOf(form), control) << "start-up focused the movie";
        ::Sleep(500);
        EXPECT_EQ(colourInside(control), colour);
        ::CreateDirectoryA(E2E_SCREENSHOT_DIR, nullptr);
        saveScreenshot(form, std::string(E2E_SCREENSHOT_DIR) + "/" + shot);
        const std::vector<std::string> started = logLines(log);
        EXPECT_NE(std::find(started.begin(), started.end(),
                            "set Movie " + wallpaperFolder("Autumn") + "installer.swf"),
                  started.end());

        pressInstall(form);
        const auto success = answerWith(process->id(), "&No", 60000);
        ASSERT_TRUE(success);
        EXPECT_EQ(success->title, "Installation Successful.");
        ASSERT_TRUE(process->waitForExit(kExitTimeout));
        EXPECT_TRUE(pathExists(page("Autumn")));
        const std::vector<std::string> ended = logLines(log);
        ASSERT_GE(ended.size(), kFlashReleaseLines.size());
        EXPECT_EQ(std::vector<std::string>(ended.end() - kFlashReleaseLines.size(), ended.end()),
                  kFlashReleaseLines)
            << "closing the window unloads the movie";
        cleanUp();
    }
}

// The uninstaller gives the user's desktop back: the installer records it in the wallpaper
// folder before it sets the page up, the uninstaller (run from the entry, with the Active
// Desktop stand-in registered) writes back what the user has not changed since.
class DesktopGivenBack : public InstallRun {
  protected:
    void SetUp() override {
        InstallRun::SetUp();
        if (HasFatalFailure()) return;
        const std::string library = hostPath(E2E_ACTIVE_DESKTOP_STANDIN);
        forUser = std::make_unique<StandInServerRegistration>(HKEY_CURRENT_USER,
                                                              kActiveDesktopClass, library);
        forMachine = std::make_unique<StandInServerRegistration>(HKEY_LOCAL_MACHINE,
                                                                 kActiveDesktopClass, library);
        ASSERT_TRUE(forUser->registered() && forMachine->registered());
        lake = scratch + "Lake.bmp";
        clouds = scratch + "Clouds.bmp";
        writeFileBytes(lake, Bytes{'B', 'M'});
        writeFileBytes(clouds, Bytes{'B', 'M'});
        // The user's own desktop.
        writeString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper", lake);
        writeString(HKEY_CURRENT_USER, kColorsKey, "Background", "10 20 30");
    }

    void TearDown() override {
        forMachine.reset();
        forUser.reset();
        InstallRun::TearDown();
    }

    // Installs the test package with the real uninstaller; overwrite answers the question an
    // earlier installation brings.
    void install(bool overwrite = false) {
        RunRecipe recipe;
        recipe.uninstaller = hostPath(E2E_UNINSTALL_EXE);
        recipe.offerDisplayProperties = false;
        auto process = start(build(recipe));
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        pressInstall(form);
        if (overwrite) {
            ASSERT_TRUE(answerWith(process->id(), "OK"));
        }
        ASSERT_TRUE(process->waitForExit(60000)) << textOf(controlWithId(form, app::labCopying));
        ASSERT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), page("Autumn"));
        ASSERT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "255 128 0");
    }

    // Runs the uninstaller from its entry, answers Yes and waits for the removal. The Active
    // Desktop calls it made, as the stand-in logged them.
    std::string uninstall() {
        const auto command = readString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
        EXPECT_TRUE(command);
        if (!command) return {};
        const std::string log = scratch + "uninstall-desktop.log";
        ::SetEnvironmentVariableA("VELUMAR_AD_LOG", log.c_str());
        std::string commandLine = *command;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        const BOOL started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                              0, nullptr, nullptr, &startup, &info);
        ::SetEnvironmentVariableA("VELUMAR_AD_LOG", nullptr);
        EXPECT_TRUE(started);
        if (!started) return {};
        ::CloseHandle(info.hThread);
        EXPECT_TRUE(answerWith(info.dwProcessId, "&Yes"));
        ::WaitForSingleObject(info.hProcess, kExitTimeout);
        ::CloseHandle(info.hProcess);
        // The copy finishes the removal once the original has ended: the folder, the page,
        // then the entry.
        for (int waited = 0; waited < 400 && keyExists(HKEY_LOCAL_MACHINE, kUninstallKey);
             ++waited) {
            ::Sleep(50);
        }
        expectNothingInstalled();
        return readFileText(log);
    }

    std::string record() const { return wallpaperFolder("Autumn") + "previous desktop.ini"; }

    std::unique_ptr<StandInServerRegistration> forUser;
    std::unique_ptr<StandInServerRegistration> forMachine;
    std::string lake;
    std::string clouds;
};

TEST_F(DesktopGivenBack, WallpaperColourAndFlagsFromBeforeComeBack) {
    install();
    // The prefix's own classic wallpaper values may stand between these lines.
    const std::string text = readFileText(record());
    EXPECT_EQ(text.rfind("[Velumar previous desktop]\r\nActiveWallpaper=" + lake + "\r\n", 0), 0u)
        << text;
    for (const char* line : {"\r\nBackground=10 20 30\r\n", "\r\nComponentFlags=8193\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_TRUE(text.ends_with("\r\nInstalledBackground=255 128 0\r\n[end]\r\n")) << text;
    const std::string calls = uninstall();
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), lake);
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "10 20 30");
    EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x2001u);
    // Through the Active Desktop object, as the installer gave it the page.
    EXPECT_EQ(calls,
              "create\n"
              "SetDesktopItemOptions 12 -1 -1 0\n"
              "SetWallpaper " +
                  lake +
                  " 0\n"
                  "ApplyChanges 15\n"
                  "release\n");
}

TEST_F(DesktopGivenBack, WallpaperAndColourTheUserChoseSinceStay) {
    install();
    writeString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper", clouds);
    writeString(HKEY_CURRENT_USER, kColorsKey, "Background", "5 5 5");
    const std::string calls = uninstall();
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), clouds);
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "5 5 5");
    // The flags the user left as the installation set them come back.
    EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x2001u);
    EXPECT_EQ(calls, "") << "the user's wallpaper is not touched";
}

TEST_F(DesktopGivenBack, SecondInstallationKeepsTheFirstRecord) {
    install();
    const std::string first = readFileText(record());
    install(true);
    EXPECT_EQ(readFileText(record()), first);
    uninstall();
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), lake);
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "10 20 30");
    EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x2001u);
}

TEST_F(DesktopGivenBack, DamagedRecordIsRemovedAsWithoutOne) {
    install();
    std::string text = readFileText(record());
    ASSERT_FALSE(text.empty());
    text.resize(text.size() - 4);  // the end line cut short
    writeFileBytes(record(), Bytes(text.begin(), text.end()));
    const std::string calls = uninstall();
    // The page is cleared, the rest stays as the installation left it.
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), "");
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "255 128 0");
    EXPECT_EQ(readNumber(HKEY_CURRENT_USER, kComponentsKey, "Flags"), 0x0001u);
    EXPECT_EQ(calls,
              "create\n"
              "SetDesktopItemOptions 12 -1 -1 0\n"
              "SetWallpaper  0\n"
              "ApplyChanges 15\n"
              "release\n");
}

}  // namespace
}  // namespace velumar::e2e

namespace velumar::e2e {
namespace {

// No Active Desktop object at all: its class names a library that is not there, so every
// creation fails, as on a shell without the Active Desktop. The registry values the installer
// writes are what the record holds and the uninstaller writes back.
class DesktopWithoutObject : public DesktopGivenBack {
  protected:
    void SetUp() override {
        DesktopGivenBack::SetUp();
        if (HasFatalFailure()) return;
        forMachine.reset();
        forUser.reset();
        const std::string missing = scratch + "no-such-desktop.dll";
        forUser = std::make_unique<StandInServerRegistration>(HKEY_CURRENT_USER,
                                                              kActiveDesktopClass, missing);
        forMachine = std::make_unique<StandInServerRegistration>(HKEY_LOCAL_MACHINE,
                                                                 kActiveDesktopClass, missing);
        ASSERT_TRUE(forUser->registered() && forMachine->registered());
        mine = windows + "Bar Mine.bmp";
        writeString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper", mine);
        writeString(HKEY_CURRENT_USER, kColorsKey, "Background", "9 8 7");
    }
    void TearDown() override {
        deleteFileQuiet(mine);
        DesktopGivenBack::TearDown();
    }
    std::string mine;
};

TEST_F(DesktopWithoutObject, PreviousWallpaperValueAndColourComeBack) {
    for (const bool fileThere : {true, false}) {
        SCOPED_TRACE(fileThere ? "the wallpaper file is there" : "no such file");
        if (fileThere)
            writeFileBytes(mine, Bytes{'B', 'M'});
        else
            deleteFileQuiet(mine);
        writeString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper", mine);
        writeString(HKEY_CURRENT_USER, kColorsKey, "Background", "9 8 7");
        install();
        EXPECT_NE(readFileText(record()).find("\r\nActiveWallpaper=" + mine + "\r\n"),
                  std::string::npos);
        uninstall();
        EXPECT_EQ(readString(HKEY_CURRENT_USER, kGeneralKey, "Wallpaper"), mine);
        EXPECT_EQ(readString(HKEY_CURRENT_USER, kColorsKey, "Background"), "9 8 7");
    }
}

}  // namespace
}  // namespace velumar::e2e
