// install.exe end to end: real installers built around this build's install.exe, run as their
// own processes under Wine, driven and read through their windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
#include <tuple>

#include "app/control_ids.h"
#include "e2e_support_win32.h"
#include "util/files_win32.h"
#include "util/folder_links_win32.h"
#include "util/handles_win32.h"

namespace velumar::e2e {
namespace {

namespace app = velumar::app;
using package::PackageHeader;

constexpr DWORD kWindowTimeout = 20000;
constexpr DWORD kExitTimeout = 15000;
constexpr char kActiveDesktopClass[] = "{75048700-EF1F-11D0-9888-006097DEACF9}";

std::string examples(const std::string& name) {
    return hostPath(std::string(E2E_EXAMPLES_DIR) + "/sample/" + name);
}

class Installer : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ::GetTempPathA(sizeof temp, temp);
        scratch = makeTempFolder("velumar-e2e");
        ASSERT_FALSE(scratch.empty()) << temp;
        childTemp = scratch + "temp\\";
        ::CreateDirectoryA(childTemp.c_str(), nullptr);
        initSystemFolders();
        windows = windowsFolder();
        cleanWindowsFolder();
    }

    void TearDown() override {
        cleanWindowsFolder();
        deleteFolderTree(scratch);
    }

    void cleanWindowsFolder() {
        for (const char* name : {"impborl.dll", "flashax.exe", "notflash.dll"})
            deleteFileQuiet(windows + name);
        for (const char* name : {"Autumn", "Autumn Wallpaper", "Winter"})
            deleteFolderTree(wallpaperFolder(name));
    }

    std::string wallpaperFolder(const std::string& name) const {
        return windows + "Web\\Wallpaper\\" + name + " dir\\";
    }

    Bytes build(const PackageRecipe& recipe) {
        const Bytes installer =
            buildInstaller(recipe, scratch + "build" + std::to_string(builds++));
        EXPECT_FALSE(installer.empty()) << "the package tool could not build the test installer";
        return installer;
    }

    std::unique_ptr<InstallerProcess> start(const Bytes& installer,
                                            const std::vector<std::string>& variables = {}) {
        const std::string exe = scratch + "setup.exe";
        writeFileBytes(exe, installer);
        auto process = std::make_unique<InstallerProcess>(exe, childTemp, variables);
        EXPECT_TRUE(process->started());
        return process;
    }

    // The start-up failure box with its code, then the end of the program.
    void expectStartupFailure(InstallerProcess& process, int code) {
        const auto box = answerDialog(process.id(), kWindowTimeout);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->title, "Error");
        EXPECT_EQ(box->texts, std::vector<std::string>{"Installer file is corrupted. Corvana "
                                                       "Error: " +
                                                       std::to_string(code) + ". "});
        EXPECT_EQ(box->buttons, std::vector<std::string>{"&Abort"});
        EXPECT_TRUE(process.waitForExit(kExitTimeout));
        EXPECT_FALSE(findWindowOf(process.id(), app::kInstallerFormClass));
        EXPECT_TRUE(isEmptyFolder(childTemp));
    }

    // Cancel on the ready window ends the program and removes the package copy's folder.
    void cancelAndExpectExit(InstallerProcess& process, HWND form, const std::string& copyFolder) {
        const HWND cancel = controlWithId(form, app::cancelBtn);
        ASSERT_TRUE(cancel);
        ::PostMessageA(cancel, BM_CLICK, 0, 0);
        EXPECT_TRUE(process.waitForExit(kExitTimeout));
        EXPECT_FALSE(pathExists(copyFolder));
    }

    std::string scratch;
    std::string childTemp;
    std::string windows;
    int builds = 0;
    FlashPlayerSetup flashPlayer;
};

SIZE clientSize(HWND window) {
    RECT client;
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

SIZE outerSize(HWND window) {
    RECT outer;
    ::GetWindowRect(window, &outer);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

// The probe of a program that must stay responsive: a WM_NULL that its window has to answer
// within a second, which only a thread that keeps taking its messages does.
bool answersMessages(HWND window) {
    DWORD_PTR result = 0;
    return window && ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                           1000, &result) != 0;
}

// The preparing window once it has come to its home position, or nullptr.
HWND preparingWindowAtHome(DWORD processId, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        const HWND preparing = findWindowOf(processId, app::kPreparingWindowClass);
        RECT bounds{};
        if (preparing && ::IsWindowVisible(preparing) && ::GetWindowRect(preparing, &bounds) &&
            bounds.left == 420 && bounds.top == 400)
            return preparing;
        ::Sleep(50);
    }
    return nullptr;
}

// The registry value the Active Desktop's wallpaper is recorded in, set for a test and put back
// as it was afterwards.
class DesktopWallpaperValue {
  public:
    static constexpr char kKey[] = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";

    explicit DesktopWallpaperValue(const std::string& value)
        : saved_(readString(HKEY_CURRENT_USER, kKey, "Wallpaper")) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          key_.put(), nullptr);
        set(value);
    }
    ~DesktopWallpaperValue() {
        if (saved_) {
            set(*saved_);
        } else {
            ::RegDeleteValueA(key_.get(), "Wallpaper");
        }
    }
    std::optional<std::string> now() const {
        return readString(HKEY_CURRENT_USER, kKey, "Wallpaper");
    }

  private:
    void set(const std::string& value) {
        ::RegSetValueExA(key_.get(), "Wallpaper", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    }
    std::optional<std::string> saved_;
    RegistryKey key_;
};

// The height of text word-wrapped at `width` in the windows' font, 8-point "MS Sans Serif": one
// line of 13 pixels for the preparing box's text in Windows' font, as the box was designed.
int wrappedTextHeight(const std::string& text, int width) {
    const HFONT font = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    const HDC screen = ::GetDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(screen, font);
    RECT needed{0, 0, width, 0};
    ::DrawTextA(screen, text.c_str(), int(text.size()), &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(font);
    return int(needed.bottom);
}

TEST_F(Installer, PictureKindRenamesThePreviewAndShowsTheFixedWindow) {
    PackageRecipe recipe;
    recipe.kind = 1;
    recipe.previewSource = examples("preview.bmp");
    recipe.previewName = "installer.jpg";
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    EXPECT_FALSE(findWindowOf(process->id(), "#32770")) << "no message box";

    EXPECT_TRUE(pathExists(wallpaperFolder("Autumn") + "installer.BMP"));
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn") + "installer.jpg"));
    EXPECT_TRUE(pathExists(windows + "impborl.dll"));
    EXPECT_TRUE(pathExists(windows + "flashax.exe"));
    EXPECT_TRUE(pathExists(packageCopyFolderIn(childTemp) + "\\temp.dat"));

    EXPECT_EQ(textOf(form), "Install Wallpaper: Autumn");
    EXPECT_EQ(textOf(findWindowOf(process->id(), app::kApplicationClass)), textOf(form));
    EXPECT_EQ(outerSize(form).cx, 359);
    EXPECT_EQ(clientSize(form).cy, 214);
    const LONG_PTR style = ::GetWindowLongPtrA(form, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME) << "not resizable";
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    EXPECT_TRUE(::GetWindowLongPtrA(form, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(textOf(controlWithId(form, app::installBtn)), "Install");
    EXPECT_TRUE(::IsWindowVisible(controlWithId(form, app::cancelBtn)));
    EXPECT_FALSE(::IsWindowVisible(controlWithId(form, app::doneBtn)));
    EXPECT_FALSE(::IsWindowVisible(controlWithId(form, app::licenseScrollBox)));
    EXPECT_FALSE(::IsWindowVisible(controlWithId(form, app::labCopying)));
    EXPECT_EQ(
        ::SendMessageA(controlWithId(form, app::progressBar), 0x0407 /*PBM_GETRANGE*/, FALSE, 0),
        10);

    ::CreateDirectoryA(E2E_SCREENSHOT_DIR, nullptr);
    saveScreenshot(form, std::string(E2E_SCREENSHOT_DIR) + "/kind1-no-licence.png");
    cancelAndExpectExit(*process, form, packageCopyFolderIn(childTemp));
}

TEST_F(Installer, JpegKindWithLicenceIsResizableDownToItsMinimum) {
    PackageRecipe recipe;
    recipe.kind = 8;
    recipe.wallpaperName = "Autumn Wallpaper";
    recipe.license = true;
    recipe.previewSource = examples("preview.jpg");
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    EXPECT_FALSE(findWindowOf(process->id(), "#32770")) << "no message box";

    EXPECT_EQ(textOf(form), "Install: Autumn Wallpaper");
    EXPECT_EQ(textOf(findWindowOf(process->id(), app::kApplicationClass)), textOf(form));
    EXPECT_EQ(outerSize(form).cx, 359);
    EXPECT_EQ(clientSize(form).cy, 321);
    EXPECT_EQ(textOf(controlWithId(form, app::installBtn)), "Accept and Install");
    const HWND memo = controlWithId(form, app::licenseScrollBox);
    EXPECT_TRUE(::IsWindowVisible(memo));
    // Three lines and the empty one after the last line break (the text itself does not cross
    // processes reliably for an edit control under Wine).
    EXPECT_EQ(::SendMessageA(memo, EM_GETLINECOUNT, 0, 0), 4);
    EXPECT_EQ(
        ::SendMessageA(memo, WM_GETTEXTLENGTH, 0, 0),
        LRESULT(
            std::string("Licence line one\r\nLicence line two\r\nLicence line three\r\n").size()));
    EXPECT_TRUE(::GetWindowLongPtrA(memo, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(::GetWindowLongPtrA(memo, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(::GetWindowLongPtrA(form, GWL_STYLE) & WS_THICKFRAME);

    ::CreateDirectoryA(E2E_SCREENSHOT_DIR, nullptr);
    saveScreenshot(form, std::string(E2E_SCREENSHOT_DIR) + "/kind8-licence.png");

    ::SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr);
    ::SetWindowPos(form, nullptr, 0, 0, 200, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(outerSize(form).cx, 359);
    EXPECT_EQ(outerSize(form).cy, 340);
    ::SetWindowPos(form, nullptr, 0, 0, 500, 480, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(outerSize(form).cx, 500);
    EXPECT_EQ(outerSize(form).cy, 480);
    ::SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr);
    RECT memoBox;
    ::GetWindowRect(memo, &memoBox);
    EXPECT_EQ(memoBox.right - memoBox.left, clientSize(form).cx) << "the memo takes the change";

    // The close box counts like Cancel.
    ::PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_TRUE(isEmptyFolder(childTemp));
}

// Keys go through the window's message loop: Install has the focus at open, Tab and Shift+Tab
// move between the buttons and the licence memo, Escape presses Cancel. The application window
// is the one taskbar button and owns the installer window.
TEST_F(Installer, KeyboardMovesBetweenButtonsAndMemoAndEscapeCancels) {
    PackageRecipe recipe;
    recipe.license = true;
    recipe.previewSource = examples("preview.bmp");
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    ::Sleep(500);
    const HWND application = findWindowOf(process->id(), app::kApplicationClass);
    EXPECT_EQ(taskbarWindowsOf(process->id()), std::vector<HWND>{application});
    EXPECT_EQ(::GetWindow(form, GW_OWNER), application);
    const HWND preparing = findWindowOf(process->id(), app::kPreparingWindowClass);
    ASSERT_TRUE(preparing);
    EXPECT_EQ(::GetWindow(preparing, GW_OWNER), application);

    const HWND install = controlWithId(form, app::installBtn);
    const HWND cancel = controlWithId(form, app::cancelBtn);
    const HWND memo = controlWithId(form, app::licenseScrollBox);
    EXPECT_EQ(focusOf(form), install);
    pressKey(form, VK_TAB);
    EXPECT_EQ(focusOf(form), cancel);
    pressKey(form, VK_TAB);
    EXPECT_EQ(focusOf(form), memo);
    pressKey(form, VK_TAB);
    EXPECT_EQ(focusOf(form), install) << "Tab leaves the memo";
    ::SetForegroundWindow(form);
    typeShiftTab();
    EXPECT_EQ(focusOf(form), memo) << "Shift+Tab goes back";

    pressKey(form, VK_ESCAPE);
    EXPECT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_TRUE(isEmptyFolder(childTemp));
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn")));
}

TEST_F(Installer, OtherScreenshots) {
    for (const auto& [kind, license, preview, file] :
         {std::tuple{1, true, "preview.bmp", "kind1-licence.png"},
          std::tuple{8, false, "preview.jpg", "kind8-no-licence.png"}}) {
        PackageRecipe recipe;
        recipe.kind = kind;
        recipe.license = license;
        recipe.previewSource = examples(preview);
        auto process = start(build(recipe));
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        ::Sleep(300);
        ::CreateDirectoryA(E2E_SCREENSHOT_DIR, nullptr);
        saveScreenshot(form, std::string(E2E_SCREENSHOT_DIR) + "/" + file);
        cancelAndExpectExit(*process, form, packageCopyFolderIn(childTemp));
        cleanWindowsFolder();
    }
}

TEST_F(Installer, RightButtonPressesNeverReachTheWindows) {
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    // The probe counts in window properties what reaches the window procedures; it stays hooked
    // until the installer has ended, since its subclassing code lives in the module.
    const HMODULE probe = ::LoadLibraryA(hostPath(E2E_MESSAGE_PROBE).c_str());
    ASSERT_TRUE(probe);
    const auto hookProc =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(probe, "probeHook")));
    ASSERT_TRUE(hookProc);
    const HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, hookProc, probe,
                                           ::GetWindowThreadProcessId(form, nullptr));
    ASSERT_TRUE(hook);
    ::PostMessageA(form, WM_NULL, 0, 0);
    for (int waited = 0; waited < 100 && !::GetPropA(form, "VelumarProbeOriginalProc"); ++waited)
        ::Sleep(20);
    ASSERT_TRUE(::GetPropA(form, "VelumarProbeOriginalProc")) << "the probe is in place";
    for (const HWND target :
         {form, controlWithId(form, app::contentPanel), controlWithId(form, app::buttonPanel)}) {
        ASSERT_TRUE(target);
        ::PostMessageA(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
        ::PostMessageA(target, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
        for (int waited = 0; waited < 100 && !::GetPropA(target, "VelumarRightButtonUp"); ++waited)
            ::Sleep(20);
        EXPECT_EQ(::GetPropA(target, "VelumarRightButtonUp"), reinterpret_cast<HANDLE>(1));
        EXPECT_EQ(::GetPropA(target, "VelumarRightButtonDown"), nullptr);
    }
    cancelAndExpectExit(*process, form, packageCopyFolderIn(childTemp));
    ::UnhookWindowsHookEx(hook);
    ::FreeLibrary(probe);
}

TEST_F(Installer, EmptyFlashInstallerSlotEndsStartupWith531) {
    for (const int kind : {1, 4}) {
        PackageRecipe recipe;
        recipe.kind = kind;
        recipe.previewSource = examples("preview.bmp");
        Bytes installer = build(recipe);
        PackageHeader header = headerOf(installer);
        header.slot(package::slots::flashInstaller).setName("");
        replaceHeader(installer, header);
        auto process = start(installer);
        expectStartupFailure(*process, -531);
    }
}

// A flag whose slot is empty: the licence (slot 4) and the open-after-install file (slot 5).
// Slot 5 comes before slot 2, so the Flash installer is never written; the wallpaper folder
// start-up made is removed again.
TEST_F(Installer, FlaggedSlotWithoutItsFileEndsStartupWith531) {
    for (const bool licence : {true, false}) {
        PackageRecipe recipe;
        recipe.previewSource = examples("preview.bmp");
        Bytes installer = build(recipe);
        PackageHeader header = headerOf(installer);
        if (licence) {
            header.showLicense = 1;
        } else {
            header.openAfterInstall = 1;
            header.slot(package::slots::openAfterInstall).setName("");
        }
        replaceHeader(installer, header);
        auto process = start(installer);
        expectStartupFailure(*process, -531);
        EXPECT_FALSE(pathExists(wallpaperFolder("Autumn"))) << licence;
        if (!licence) {
            EXPECT_FALSE(pathExists(windows + "flashax.exe"));
        }
        cleanWindowsFolder();
    }
}

// TEMP names a file: no folder can be made under it. Start-up reports the package copy's
// failure and ends; nothing named temp.dat appears in the folder the installer starts in, and a
// file of that name there is left alone.
TEST_F(Installer, UnusableTempEndsStartupWith523AndTouchesNothingOutsideIt) {
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    const Bytes installer = build(recipe);
    const std::string tempFile = scratch + "not-a-folder";
    writeFileBytes(tempFile, Bytes{'t'});
    const std::string workFolder = scratch + "work\\";
    ::CreateDirectoryA(workFolder.c_str(), nullptr);
    writeFileBytes(workFolder + "temp.dat", Bytes{'m', 'i', 'n', 'e'});
    ::SetFileAttributesA((workFolder + "temp.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string exe = scratch + "setup.exe";
    writeFileBytes(exe, installer);

    char previous[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(sizeof previous, previous);
    ::SetCurrentDirectoryA(workFolder.c_str());
    InstallerProcess process(exe, tempFile);
    ::SetCurrentDirectoryA(previous);
    ASSERT_TRUE(process.started());

    const auto report = answerDialog(process.id(), kWindowTimeout);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->title, "Error");
    ASSERT_EQ(report->texts.size(), 1u);
    const std::string& text = report->texts[0];
    EXPECT_EQ(text.rfind("Installation Error: ", 0), 0u) << text;
    EXPECT_NE(text.find("\r\n\r\nRetry installation. If this message reappears, contact your "
                        "system administrator to change your user privileges."),
              std::string::npos)
        << text;
    const auto final = answerDialog(process.id(), kWindowTimeout);
    ASSERT_TRUE(final);
    ASSERT_EQ(final->texts.size(), 1u);
    EXPECT_EQ(final->texts[0].rfind("Installer file is corrupted. Corvana Error: ", 0), 0u);
    EXPECT_EQ(final->texts[0].find("Error: 0. "), std::string::npos) << "a failure is never 0";
    EXPECT_TRUE(process.waitForExit(kExitTimeout));

    ::SetFileAttributesA((workFolder + "temp.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFileText(workFolder + "temp.dat"), "mine");
    EXPECT_EQ(readFileText(tempFile), "t");
    EXPECT_FALSE(pathExists(windows + "impborl.dll")) << "start-up ended before the header";
}

TEST_F(Installer, FileCutInsideTheHeaderReports31WithThePackageCopy) {
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    Bytes installer = build(recipe);
    installer.resize(packageOffsetOf() + 1000);
    auto process = start(installer);
    const auto report = answerDialog(process->id(), kWindowTimeout);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->texts,
              std::vector<std::string>{"Installation Error: \r\n\r\nProblem with "
                                       "file " +
                                       packageCopyFolderIn(childTemp) + "\\temp.dat. "});
    expectStartupFailure(*process, -31);
}

TEST_F(Installer, UnsafeWallpaperNameIsRefusedBeforeAnythingIsWritten) {
    PackageRecipe recipe;
    recipe.wallpaperName = "Winter";
    recipe.previewSource = examples("preview.bmp");
    Bytes installer = build(recipe);
    PackageHeader header = headerOf(installer);
    ASSERT_TRUE(header.setWallpaperName("..\\..\\Winter"));
    replaceHeader(installer, header);
    auto process = start(installer);
    expectStartupFailure(*process, -540);
    EXPECT_FALSE(pathExists(windows + "impborl.dll"));
    EXPECT_FALSE(pathExists(windows + "Winter dir"));
}

TEST_F(Installer, ReversedPreviewRangeFailsCleanlyWith30) {
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    Bytes installer = build(recipe);
    PackageHeader header = headerOf(installer);
    package::PackageEntry& preview = header.slot(package::slots::preview);
    preview.endOffset = preview.startOffset - 100000000;
    replaceHeader(installer, header);
    auto process = start(installer);
    const auto report = answerDialog(process->id(), kWindowTimeout);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->texts,
              std::vector<std::string>{"Installation Error: \r\n\r\nProblem with "
                                       "file " +
                                       wallpaperFolder("Autumn") + "installer.BMP. "});
    expectStartupFailure(*process, -30);
}

TEST_F(Installer, UndecodablePictureIsReportedAndTheWindowStillOpens) {
    writeFileBytes(scratch + "broken.jpg", Bytes(600, 0x5A));
    PackageRecipe recipe;
    recipe.kind = 8;
    recipe.previewSource = scratch + "broken.jpg";
    auto process = start(build(recipe));
    const auto report = answerDialog(process->id(), kWindowTimeout);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->title, "Error");
    EXPECT_EQ(report->texts, std::vector<std::string>{"CorruptFile: "});
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    cancelAndExpectExit(*process, form, packageCopyFolderIn(childTemp));
}

// The package copy goes to a folder whose name cannot be guessed, another on every run; a
// folder of the old name (an earlier run's, or one made to be taken over) is never used.
TEST_F(Installer, PackageCopyFolderCannotBeGuessedFromOneRunToTheNext) {
    ::CreateDirectoryA((childTemp + "VLMR").c_str(), nullptr);
    ::CreateDirectoryA((childTemp + "VLMR1").c_str(), nullptr);
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    const Bytes installer = build(recipe);
    std::vector<std::string> folders;
    for (int run = 0; run < 2; ++run) {
        auto process = start(installer);
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        const std::string folder = packageCopyFolderIn(childTemp);
        ASSERT_FALSE(folder.empty());
        EXPECT_TRUE(pathExists(folder + "\\temp.dat"));
        folders.push_back(folder);
        cancelAndExpectExit(*process, form, folder);
    }
    EXPECT_NE(folders[0], folders[1]);
    EXPECT_TRUE(isEmptyFolder(childTemp + "VLMR\\"));
    EXPECT_TRUE(pathExists(childTemp + "VLMR1"));
}

// A folder link put into the package copy's folder while the installer runs: what it points at
// is untouched when the installer ends, and the link, which the run did not make, stays.
TEST_F(Installer, LinkPutIntoThePackageCopyFolderIsNotFollowed) {
    const std::string victim = scratch + "victim";
    ::CreateDirectoryA(victim.c_str(), nullptr);
    writeFileBytes(victim + "\\temp.dat", Bytes{'v'});
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    const std::string link = packageCopyFolderIn(childTemp) + "\\link";
    ASSERT_TRUE(testing::makeFolderLink(link, victim)) << "no way to make a folder link here";
    ::PostMessageA(controlWithId(form, app::cancelBtn), BM_CLICK, 0, 0);
    EXPECT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_EQ(readFileText(victim + "\\temp.dat"), "v");
    EXPECT_TRUE(testing::isFolderLink(link));
    testing::removeFolderLink(link);
}

TEST_F(Installer, ReadOnlyFlashInstallerIsReplaced) {
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    const std::string flash = windows + "flashax.exe";
    writeFileBytes(flash, Bytes{'o', 'l', 'd'});
    ::SetFileAttributesA(flash.c_str(), FILE_ATTRIBUTE_READONLY);
    auto process = start(build(recipe));
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
    ASSERT_TRUE(form);
    EXPECT_FALSE(findWindowOf(process->id(), "#32770"));
    EXPECT_EQ(readFileText(flash), "stand-in Flash player installer");
    cancelAndExpectExit(*process, form, packageCopyFolderIn(childTemp));
}

// What another program left in the Windows folder under the names start-up writes, and holds
// open so that it cannot be replaced (no write or delete sharing): a library exporting the
// implode functions and a program, each recording its use. Neither is ever loaded or run: the
// busy box with its path, then the start-up failure box with -32, and nothing is installed.
// The player is due for an update, so a flashax.exe that were trusted would be run.
TEST_F(Installer, ForeignFilesHeldInTheWindowsFolderAreNeverLoadedOrRun) {
    flashPlayer.placeControlFile("Flash.ocx", flashVersionFile("6_0_46"));
    const std::string control = flashPlayer.folder() + "Flash.ocx";
    const std::string controlBytes = readFileText(control);
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    recipe.flashInstaller = flashInstallerStandIn();
    const Bytes installer = build(recipe);
    for (const auto& [name, source] : {std::pair{"impborl.dll", E2E_FOREIGN_LIBRARY},
                                       std::pair{"flashax.exe", E2E_FOREIGN_PROGRAM}}) {
        SCOPED_TRACE(name);
        const std::string path = windows + name;
        const std::string foreign = readFileText(hostPath(source));
        ASSERT_TRUE(::CopyFileA(hostPath(source).c_str(), path.c_str(), FALSE));
        const FileHandle held(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        const std::string used = scratch + "foreign-" + name + ".log";
        const std::string flashaxLog = scratch + "flashax-" + name + ".log";
        auto process =
            start(installer, {"VELUMAR_FOREIGN_LOG=" + used, "VELUMAR_FLASHAX_LOG=" + flashaxLog});
        const auto busy = answerDialog(process->id(), 60000);
        ASSERT_TRUE(busy);
        EXPECT_EQ(busy->texts,
                  std::vector<std::string>{
                      "Installation Error:  File is busy and cannot be replaced. Please close any "
                      "other application that may be using this file and try again.\r\n\r\nFile: " +
                      path});
        expectStartupFailure(*process, -32);
        EXPECT_FALSE(pathExists(used)) << "never loaded or run";
        EXPECT_FALSE(pathExists(flashaxLog)) << "no player installer ran";
        EXPECT_TRUE(readFileText(control) == controlBytes) << "the player step never began";
        EXPECT_FALSE(pathExists(wallpaperFolder("Autumn") + "installer.BMP"));
        EXPECT_FALSE(pathExists(windows + "Web\\Wallpaper\\Autumn.html"));
        if (std::string(name) == "impborl.dll") {
            EXPECT_FALSE(pathExists(wallpaperFolder("Autumn"))) << "start-up ended at slot 1";
            EXPECT_FALSE(pathExists(windows + "flashax.exe"));
        }
        EXPECT_TRUE(readFileText(path) == foreign) << "left as it was";
        cleanWindowsFolder();
    }
}

// The Flash player step: which control files lead to the packaged installer being run with "/Q"
// (which then installs the stand-in control, so that start-up goes on to the window).
TEST_F(Installer, FlashPlayerIsUpdatedOnlyWhenItsVersionIsTooOld) {
    struct Case {
        const char* file;
        const char* version;
        bool updated;
    };
    for (const Case& c :
         {Case{"Flash.ocx", "6_0_47", false}, Case{"Flash.ocx", "6_0_46", true},
          Case{"Flash.ocx", "5_0_30", true}, Case{"", "", true}, Case{"Flash.ocx", "7_0_0", false},
          Case{"swflash.ocx", "6_0_79", false}}) {
        SCOPED_TRACE(std::string(c.file) + " " + c.version);
        FlashPlayerSetup player;
        player.placeControlFile(c.file, *c.version ? flashVersionFile(c.version) : "");
        PackageRecipe recipe;
        recipe.previewSource = examples("preview.bmp");
        recipe.flashInstaller = flashInstallerStandIn();
        const std::string log = scratch + "flashax-" + std::to_string(builds) + ".log";
        auto process = start(build(recipe), {"VELUMAR_FLASHAX_LOG=" + log});
        const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
        ASSERT_TRUE(form);
        // The stand-in control stays registered while its file is replaced, so the installer's
        // wait may end before the player's installer has even started: give that one time.
        const auto playerInstalled = [&] {
            return readFileText(log) == "/Q\n" && pathExists(player.folder() + "Flash.ocx");
        };
        for (int tries = 0; c.updated && !playerInstalled() && tries < 200; ++tries) ::Sleep(50);
        EXPECT_EQ(readFileText(log), c.updated ? "/Q\n" : "");
        if (c.updated) {
            EXPECT_TRUE(pathExists(player.folder() + "Flash.ocx")) << "installed";
        }
        EXPECT_FALSE(pathExists(player.folder() + "Flash.ocx.old"))
            << "the old control goes once the new answers";
        cancelAndExpectExit(*process, form, packageCopyFolderIn(childTemp));
        cleanWindowsFolder();
    }
}

// The control file held open: Continue while it is still held switches the Active Desktop off
// (recorded by its stand-in) and asks again; Cancel ends the installer without a message. The
// box is owned by the application window, shows both lines of its text, and answers keys: Enter
// presses Continue, which has the focus, and Escape presses Cancel.
TEST_F(Installer, LockedControlAsksAgainAfterContinueAndCancelEndsSilently) {
    flashPlayer.placeControlFile("Flash.ocx", flashVersionFile("6_0_46"));
    const std::string control = flashPlayer.folder() + "Flash.ocx";
    const std::string older = flashPlayer.folder() + "swflash.ocx";
    ASSERT_TRUE(::CopyFileA(flashVersionFile("5_0_30").c_str(), older.c_str(), FALSE));
    const std::string olderBytes = readFileText(older);
    const std::string oldPage = "C:\\windows\\Web\\Wallpaper\\Old.html";
    const DesktopWallpaperValue wallpaperValue(oldPage);
    const HANDLE held = ::CreateFileA(control.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string desktop = hostPath(E2E_ACTIVE_DESKTOP_STANDIN);
    const testing::StandInServerRegistration adUser(HKEY_CURRENT_USER, kActiveDesktopClass,
                                                    desktop);
    const testing::StandInServerRegistration adMachine(HKEY_LOCAL_MACHINE, kActiveDesktopClass,
                                                       desktop);
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    recipe.flashInstaller = flashInstallerStandIn();
    const std::string adLog = scratch + "active-desktop.log";
    const std::string flashaxLog = scratch + "flashax.log";
    auto process =
        start(build(recipe), {"VELUMAR_AD_LOG=" + adLog, "VELUMAR_FLASHAX_LOG=" + flashaxLog,
                              "VELUMAR_AD_WALLPAPER=" + oldPage});

    const HWND box = waitForWindow(process->id(), app::kMessageBoxClass, kWindowTimeout);
    ASSERT_TRUE(box);
    EXPECT_EQ(textOf(box), "Preparing Installation...");
    EXPECT_EQ(
        textOf(controlWithId(box, app::messageLabel)),
        "Please exit all applications and press Continue or press Cancel to abort installation.");
    EXPECT_FALSE(pathExists(adLog));
    const HWND application = findWindowOf(process->id(), app::kApplicationClass);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), application);
    EXPECT_EQ(taskbarWindowsOf(process->id()), std::vector<HWND>{application});
    RECT label;
    ::GetClientRect(controlWithId(box, app::messageLabel), &label);
    EXPECT_EQ(label.right, 387);
    EXPECT_GE(label.bottom, wrappedTextHeight(textOf(controlWithId(box, app::messageLabel)), 387))
        << "every line of the text in the 8-point font";
    ::Sleep(300);
    EXPECT_EQ(focusOf(box), controlWithId(box, app::continueBtn));
    pressKey(box, VK_RETURN);
    // The stand-in creates its log before it writes the first call into it.
    for (int tries = 0; tries < 600 && readFileText(adLog).empty(); ++tries) ::Sleep(50);
    EXPECT_FALSE(readFileText(adLog).empty()) << "the Active Desktop was switched off";
    ::Sleep(300);
    EXPECT_TRUE(::IsWindowVisible(box)) << "asked again";
    EXPECT_TRUE(pathExists(control));

    pressKey(box, VK_ESCAPE);
    EXPECT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_FALSE(findWindowOf(process->id(), "#32770")) << "no message";
    EXPECT_FALSE(pathExists(flashaxLog)) << "the player's installer never ran";
    EXPECT_FALSE(pathExists(wallpaperFolder("Autumn") + "installer.BMP")) << "nothing installed";
    ::CloseHandle(held);
    // The file that could be moved aside is back; the Active Desktop is as it was: its registry
    // value, and a last pass that gives the object its options and wallpaper back.
    EXPECT_TRUE(readFileText(older) == olderBytes) << "swflash.ocx byte for byte";
    EXPECT_FALSE(pathExists(older + ".old"));
    EXPECT_EQ(wallpaperValue.now(), oldPage);
    std::vector<std::string> calls;
    {
        std::istringstream lines(readFileText(adLog));
        for (std::string line; std::getline(lines, line);) calls.push_back(line);
    }
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(
        std::vector<std::string>(calls.end() - 5, calls.end()),
        (std::vector<std::string>{"create", "SetDesktopItemOptions 12 -1 -1 0",
                                  "SetWallpaper " + oldPage + " 0", "ApplyChanges 15", "release"}));
}

// The control held until the Active Desktop was switched off (which empties its wallpaper
// value), then let go: the player is installed, and the installation records the user's own
// wallpaper, as start-up found it, for the uninstaller to give back, not the empty value.
TEST_F(Installer, RecordKeepsTheUsersWallpaperWhenTheFlashStepSwitchedTheActiveDesktopOff) {
    const std::string page = windows + "Web\\Wallpaper\\Autumn.html";
    deleteFileQuiet(page);  // no overwrite question
    flashPlayer.placeControlFile("Flash.ocx", flashVersionFile("6_0_46"));
    const std::string control = flashPlayer.folder() + "Flash.ocx";
    const std::string lake = scratch + "Lake.bmp";
    writeFileBytes(lake, Bytes{'B', 'M'});
    const DesktopWallpaperValue wallpaperValue(lake);
    HANDLE held = ::CreateFileA(control.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string desktop = hostPath(E2E_ACTIVE_DESKTOP_STANDIN);
    const testing::StandInServerRegistration adUser(HKEY_CURRENT_USER, kActiveDesktopClass,
                                                    desktop);
    const testing::StandInServerRegistration adMachine(HKEY_LOCAL_MACHINE, kActiveDesktopClass,
                                                       desktop);
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    recipe.flashInstaller = flashInstallerStandIn();
    const std::string adLog = scratch + "active-desktop.log";
    auto process =
        start(build(recipe), {"VELUMAR_AD_LOG=" + adLog, "VELUMAR_AD_WALLPAPER=" + lake});
    const HWND box = waitForWindow(process->id(), app::kMessageBoxClass, kWindowTimeout);
    ASSERT_TRUE(box);
    ::Sleep(300);
    pressKey(box, VK_RETURN);
    for (int tries = 0; tries < 600 && readFileText(adLog).empty(); ++tries) ::Sleep(50);
    ASSERT_FALSE(readFileText(adLog).empty()) << "the Active Desktop was switched off";
    for (int tries = 0; tries < 100 && wallpaperValue.now() != ""; ++tries) ::Sleep(50);
    EXPECT_EQ(wallpaperValue.now(), "") << "its wallpaper value emptied";
    ::CloseHandle(held);
    ::Sleep(300);
    pressKey(box, VK_RETURN);
    const HWND form = waitForWindow(process->id(), app::kInstallerFormClass, 60000);
    ASSERT_TRUE(form);
    // The package offers no Display Properties: the window closes once it is installed.
    ::PostMessageA(controlWithId(form, app::installBtn), BM_CLICK, 0, 0);
    EXPECT_TRUE(process->waitForExit(60000));
    EXPECT_TRUE(pathExists(page)) << "installed";
    const std::string record = readFileText(wallpaperFolder("Autumn") + "previous desktop.ini");
    EXPECT_NE(record.find("\r\nActiveWallpaper=" + lake + "\r\n"), std::string::npos) << record;
    deleteFileQuiet(page);
}

// A missing player installer, or one the shell cannot start: the user's control files are back
// under their own names, byte for byte, and nothing is left beside them.
TEST_F(Installer, MissingOrFailingPlayerInstallerPutsTheOldControlFilesBack) {
    for (const bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "missing" : "failing");
        flashPlayer.placeControlFile("Flash.ocx", flashVersionFile("5_0_30"));
        const std::string control = flashPlayer.folder() + "Flash.ocx";
        const std::string older = flashPlayer.folder() + "swflash.ocx";
        ASSERT_TRUE(::CopyFileA(flashVersionFile("6_0_46").c_str(), older.c_str(), FALSE));
        const std::string controlBytes = readFileText(control);
        const std::string olderBytes = readFileText(older);
        PackageRecipe recipe;
        recipe.previewSource = examples("preview.bmp");
        if (missing) {
            recipe.flashInstaller = flashInstallerStandIn();
            recipe.flashInstallerName = "notflash.exe";  // written as notflash.dll: no flashax.exe
        }  // else the text stand-in, which the shell cannot start
        auto process = start(build(recipe));
        if (missing) {
            expectStartupFailure(*process, -401);
        } else {
            const auto box = answerDialog(process->id(), kWindowTimeout);
            ASSERT_TRUE(box);
            ASSERT_EQ(box->texts.size(), 1u);
            EXPECT_EQ(box->texts.front().rfind("Installer file is corrupted. Corvana Error: ", 0),
                      0u);
            EXPECT_TRUE(process->waitForExit(kExitTimeout));
        }
        EXPECT_TRUE(readFileText(control) == controlBytes) << "Flash.ocx byte for byte";
        EXPECT_TRUE(readFileText(older) == olderBytes) << "swflash.ocx byte for byte";
        EXPECT_FALSE(pathExists(control + ".old"));
        EXPECT_FALSE(pathExists(older + ".old"));
        cleanWindowsFolder();
    }
}

// A player found up to date whose control cannot be created: the wait gives up after about half
// a minute with -402's box, and the program answers messages all the while.
TEST_F(Installer, UpToDatePlayerThatCannotBeCreatedEndsWithMinus402InHalfAMinute) {
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    recipe.flashInstaller = flashInstallerStandIn();
    const std::string flashaxLog = scratch + "flashax.log";
    const Bytes installer = build(recipe);
    const DWORD started = ::GetTickCount();
    auto process =
        start(installer, {"VELUMAR_FLASH_FAIL=create", "VELUMAR_FLASHAX_LOG=" + flashaxLog});
    ::Sleep(4000);
    ASSERT_FALSE(process->waitForExit(0));
    EXPECT_TRUE(answersMessages(findWindowOf(process->id(), app::kApplicationClass)));
    EXPECT_TRUE(answersMessages(findWindowOf(process->id(), app::kPreparingWindowClass)));
    EXPECT_TRUE(answersMessages(findWindowOf(process->id(), app::kInstallerFormClass)));
    const auto box = answerDialog(process->id(), 60000);
    const DWORD took = ::GetTickCount() - started;
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts,
              std::vector<std::string>{"Installer file is corrupted. Corvana Error: -402. "});
    EXPECT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_GE(took, 25000u);
    EXPECT_LT(took, 45000u);
    std::printf("[ measured ] -402 box after %lu ms with the player up to date\n", took);
    EXPECT_FALSE(pathExists(flashaxLog)) << "no player installer ran";
}

// After the player's installer ran, the wait for a control that cannot be created goes on,
// with the preparing window on screen and answering; Escape, or its close box, ends it with
// -402's box, and the user's old control file is back, byte for byte.
TEST_F(Installer, UserEndsTheWaitAfterTheInstallerAndGetsTheOldControlBack) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close box");
        flashPlayer.placeControlFile("Flash.ocx", flashVersionFile("6_0_46"));
        const std::string control = flashPlayer.folder() + "Flash.ocx";
        const std::string oldBytes = readFileText(control);
        PackageRecipe recipe;
        recipe.previewSource = examples("preview.bmp");
        recipe.flashInstaller = flashInstallerStandIn();
        const std::string flashaxLog = scratch + "flashax-" + std::to_string(builds) + ".log";
        auto process = start(build(recipe),
                             {"VELUMAR_FLASH_FAIL=create", "VELUMAR_FLASHAX_LOG=" + flashaxLog});
        const HWND preparing = preparingWindowAtHome(process->id(), kWindowTimeout);
        ASSERT_TRUE(preparing);
        EXPECT_TRUE(::GetWindowLongA(preparing, GWL_STYLE) & WS_SYSMENU) << "a close box";
        // The stand-in installer puts its own control where the old one was.
        for (int tries = 0;
             tries < 200 && (!pathExists(control) || readFileText(control) == oldBytes); ++tries)
            ::Sleep(50);
        EXPECT_EQ(readFileText(flashaxLog), "/Q\n");
        ASSERT_TRUE(readFileText(control) != oldBytes) << "the stand-in's control in its place";
        ::Sleep(2500);
        EXPECT_FALSE(process->waitForExit(0)) << "still waiting";
        EXPECT_TRUE(answersMessages(preparing));
        EXPECT_TRUE(answersMessages(findWindowOf(process->id(), app::kApplicationClass)));
        const DWORD asked = ::GetTickCount();
        if (escape) {
            EXPECT_EQ(focusOf(preparing), preparing);
            pressKey(preparing, VK_ESCAPE);
        } else {
            ::PostMessageA(preparing, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        const auto box = answerDialog(process->id(), kWindowTimeout);
        ASSERT_TRUE(box);
        std::printf("[ measured ] -402 box %lu ms after the user ended the wait\n",
                    ::GetTickCount() - asked);
        EXPECT_EQ(box->texts,
                  std::vector<std::string>{"Installer file is corrupted. Corvana Error: -402. "});
        EXPECT_TRUE(process->waitForExit(kExitTimeout));
        EXPECT_TRUE(readFileText(control) == oldBytes) << "the old control, byte for byte";
        EXPECT_FALSE(pathExists(control + ".old"));
        cleanWindowsFolder();
    }
}

// The player's installer runs and ends but leaves no control that can be created: the run ends
// by itself, the control's half minute after the installer ended, with -402's box, in a window
// kind and in the silent kind, and the user's old control is back. The installer was started by
// its full path, quoted, hidden, in the system folder.
TEST_F(Installer, PlayerInstallerThatLeavesNoUsableControlEndsTheRunWithMinus402) {
    for (const int kind : {1, 4}) {
        SCOPED_TRACE(kind);
        flashPlayer.placeControlFile("Flash.ocx", flashVersionFile("6_0_46"));
        const std::string control = flashPlayer.folder() + "Flash.ocx";
        const std::string oldBytes = readFileText(control);
        PackageRecipe recipe;
        recipe.kind = kind;
        recipe.previewSource = examples("preview.bmp");
        recipe.flashInstaller = flashInstallerStandIn();
        const std::string startLog = scratch + "flashax-start-" + std::to_string(kind) + ".log";
        const Bytes installer = build(recipe);
        const DWORD started = ::GetTickCount();
        auto process = start(
            installer, {"VELUMAR_FLASH_FAIL=create", "VELUMAR_FLASHAX_START_LOG=" + startLog});
        const auto box = answerDialog(process->id(), 90000);
        const DWORD took = ::GetTickCount() - started;
        ASSERT_TRUE(box);
        EXPECT_EQ(box->texts,
                  std::vector<std::string>{"Installer file is corrupted. Corvana Error: -402. "});
        EXPECT_TRUE(process->waitForExit(kExitTimeout));
        std::printf(
            "[ measured ] kind %d: -402 box %lu ms after the start (installer 1.5 s, then the "
            "control's 30 s)\n",
            kind, took);
        EXPECT_GE(took, 30000u);
        EXPECT_LT(took, 60000u);
        const std::string system = systemFolder();
        EXPECT_EQ(readFileText(startLog), "command=\"" + windows + "flashax.exe\" /Q\nfolder=" +
                                              system.substr(0, system.size() - 1) +
                                              "\nhidden=yes\n");
        EXPECT_TRUE(readFileText(control) == oldBytes) << "the old control, byte for byte";
        EXPECT_FALSE(pathExists(control + ".old"));
        cleanWindowsFolder();
    }
}

// The wait ends while the player's installer still runs (the user's Escape here; in the silent
// kind its own time, five minutes, which the step's own tests make short): -402's box at once,
// and the old control is not put back under the running installer. When it ends, its control is
// the one in place, and the user's old one is beside it under ".old", not lost.
TEST_F(Installer, OldControlIsNotPutBackUnderAPlayerInstallerStillRunning) {
    flashPlayer.placeControlFile("Flash.ocx", flashVersionFile("6_0_46"));
    const std::string control = flashPlayer.folder() + "Flash.ocx";
    const std::string oldBytes = readFileText(control);
    PackageRecipe recipe;
    recipe.previewSource = examples("preview.bmp");
    recipe.flashInstaller = flashInstallerStandIn();
    const std::string flashaxLog = scratch + "flashax.log";
    auto process = start(build(recipe), {"VELUMAR_FLASH_FAIL=create", "VELUMAR_FLASHAX_DELAY=8000",
                                         "VELUMAR_FLASHAX_LOG=" + flashaxLog});
    const HWND preparing = preparingWindowAtHome(process->id(), kWindowTimeout);
    ASSERT_TRUE(preparing);
    for (int tries = 0; tries < 200 && readFileText(flashaxLog) != "/Q\n"; ++tries) ::Sleep(50);
    ASSERT_EQ(readFileText(flashaxLog), "/Q\n");
    ::Sleep(1000);
    EXPECT_TRUE(answersMessages(preparing)) << "messages let through while it runs";
    EXPECT_FALSE(pathExists(control)) << "moved aside while it runs";
    const DWORD asked = ::GetTickCount();
    pressKey(preparing, VK_ESCAPE);
    const auto box = answerDialog(process->id(), kWindowTimeout);
    ASSERT_TRUE(box);
    std::printf("[ measured ] -402 box %lu ms after Escape, the player installer still running\n",
                ::GetTickCount() - asked);
    EXPECT_EQ(box->texts,
              std::vector<std::string>{"Installer file is corrupted. Corvana Error: -402. "});
    EXPECT_TRUE(process->waitForExit(kExitTimeout));
    EXPECT_FALSE(pathExists(control)) << "not put back while it runs";
    EXPECT_TRUE(readFileText(control + ".old") == oldBytes);
    for (int tries = 0; tries < 400 && !pathExists(control); ++tries) ::Sleep(50);
    ::Sleep(500);
    EXPECT_TRUE(readFileText(control) == readFileText(flashControlStandIn()))
        << "its control in place";
    EXPECT_TRUE(readFileText(control + ".old") == oldBytes)
        << "the user's old control kept beside it";
    deleteFileQuiet(control + ".old");
}

// The preparing window comes to its home position while the player is installed for a window
// kind, never for the silent kind.
TEST_F(Installer, PreparingWindowShowsOnlyForWindowKinds) {
    for (const int kind : {1, 4}) {
        SCOPED_TRACE(kind);
        FlashPlayerSetup player;
        player.placeControlFile("Flash.ocx", flashVersionFile("6_0_46"));
        PackageRecipe recipe;
        recipe.kind = kind;
        recipe.previewSource = examples("preview.bmp");
        recipe.flashInstaller = flashInstallerStandIn();
        auto process = start(build(recipe));
        bool seenAtHome = false;
        for (int tries = 0; tries < 400 && !process->waitForExit(0); ++tries) {
            const HWND preparing = findWindowOf(process->id(), app::kPreparingWindowClass);
            RECT bounds{};
            // Hidden, it starts at home before it is parked: only a visible one counts.
            if (preparing && ::IsWindowVisible(preparing) && ::GetWindowRect(preparing, &bounds) &&
                bounds.left == 420 && bounds.top == 400)
                seenAtHome = true;
            if (kind == 1 && findWindowOf(process->id(), app::kInstallerFormClass) &&
                ::IsWindowVisible(findWindowOf(process->id(), app::kInstallerFormClass)))
                break;
            ::Sleep(10);
        }
        EXPECT_EQ(seenAtHome, kind == 1);
        if (kind == 1) {
            const HWND form =
                waitForWindow(process->id(), app::kInstallerFormClass, kWindowTimeout);
            ASSERT_TRUE(form);
            cancelAndExpectExit(*process, form, packageCopyFolderIn(childTemp));
        } else {
            EXPECT_TRUE(process->waitForExit(60000));
        }
        cleanWindowsFolder();
    }
}

}  // namespace
}  // namespace velumar::e2e
