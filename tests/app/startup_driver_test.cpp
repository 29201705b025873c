#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "app/startup_driver.h"
#include "app/startup_rules.h"

namespace velumar::app {
namespace {

using Log = std::vector<std::string>;
namespace slots = package::slots;

constexpr uint8_t kPicture = 1;
constexpr uint8_t kMovie = 2;
constexpr uint8_t kSilent = 4;

// Only the boxes reach the window during start-up; everything else would be a fault.
class FakeUi final : public InstallUi {
  public:
    explicit FakeUi(Log& log) : log_(log) {}
    void setStatusText(std::string_view text) override {
        log_.push_back("status " + std::string(text));
    }
    void stepProgress() override { log_.push_back("progress"); }
    void reportInstallError(ErrorCode code, const std::string&) override {
        log_.push_back("report " + std::to_string(code));
    }
    void showErrorDialog(const std::string& message) override {
        log_.push_back("error " + message);
    }
    void showInformationDialog(const std::string& message) override {
        log_.push_back("info " + message);
    }
    void showInstallStarted() override { log_.push_back("started"); }
    void showInstallResult(ErrorCode code) override {
        log_.push_back("result " + std::to_string(code));
    }
    bool cancelRequested() const override { return false; }
    bool busy() const override { return false; }
    void setBusy(bool) override { log_.push_back("busy"); }
    bool confirmOverwrite(const std::string&) override { return true; }
    bool askOpenDisplayProperties() override { return false; }
    void bringToFront() override {}
    void minimise() override {}

  private:
    Log& log_;
};

// Records every step; `fail` gives a step's code by its log name ("slot 3" for a slot).
class FakeSteps final : public StartupSteps {
  public:
    FakeSteps(Log& log, InstallerState& state) : log_(log), state_(state) {}
    void showHourglass() override { log_.push_back("hourglass"); }
    void restoreCursor() override { log_.push_back("cursor"); }
    void findSystemFolders() override {
        log_.push_back("folders");
        state_.windowsFolder = "C:\\WINDOWS\\";
    }
    ErrorCode locateInstaller() override { return logged("locate"); }
    ErrorCode makePackageCopy() override { return logged("copy"); }
    ErrorCode readPackageHeader() override {
        state_.header = header;
        return logged("header");
    }
    ErrorCode writeSlot(int slot) override {
        if (slot == slots::preview) previewName = state_.header.slot(slot).name();
        return logged("slot " + std::to_string(slot));
    }
    void prepareWallpaperFolder() override {
        logged("prepare");
        state_.folderWasCreated = 1;
    }
    ErrorCode runFlashPlayerStep() override { return logged("flash"); }
    void showCaption() override { logged("caption"); }
    ErrorCode setUpLicense() override { return logged("licence"); }
    void showPreview() override { logged("preview"); }
    void layOutWindow() override { logged("layout"); }
    void runSilentInstall() override { logged("silent install"); }
    void showWindow() override { logged("show"); }
    void closeWindow() override { logged("close"); }
    void removePackageCopyFiles() override { logged("remove copy"); }
    void deleteWallpaperFolder() override { logged("delete folder"); }
    void restoreActiveDesktop() override { logged("restore desktop"); }

    package::PackageHeader header;
    std::map<std::string, ErrorCode> fail;
    std::string previewName;

  private:
    ErrorCode logged(const std::string& name) {
        log_.push_back(name);
        const auto found = fail.find(name);
        return found == fail.end() ? velumar::kOk : found->second;
    }

    Log& log_;
    InstallerState& state_;
};

package::PackageHeader headerOf(uint8_t kind, bool licence, bool openAfter) {
    package::PackageHeader header;
    header.kind = kind;
    header.showLicense = licence ? 1 : 0;
    header.openAfterInstall = openAfter ? 1 : 0;
    header.setWallpaperName("Sea");
    header.slot(slots::preview).setName("sea.dat");
    return header;
}

struct StartupRun {
    Log log;
    StartupDriver driver;
    FakeUi ui{log};
    FakeSteps steps{log, driver.state()};

    ErrorCode start() { return driver.runStartup(ui, steps); }
};

const Log kSteps = {"hourglass", "folders", "locate", "copy", "header", "slot 1", "prepare"};

Log withStart(const Log& rest) {
    Log whole = kSteps;
    whole.insert(whole.end(), rest.begin(), rest.end());
    return whole;
}

TEST(StartupDriver, WindowKindsRunTheWholeOrderAndShowTheWindow) {
    StartupRun movie;
    movie.steps.header = headerOf(kMovie, false, false);
    EXPECT_EQ(movie.start(), velumar::kOk);
    EXPECT_EQ(movie.log, withStart({"slot 2", "flash", "caption", "licence", "slot 3", "preview",
                                    "layout", "cursor", "show"}));
    EXPECT_EQ(movie.driver.state().wallpaperName, "Sea");
    EXPECT_EQ(movie.driver.state().wallpaperFolder, "C:\\WINDOWS\\Web\\Wallpaper\\Sea dir\\");
    EXPECT_EQ(movie.steps.previewName, "sea.dat");

    // The licence and the file opened after installing are written where start-up writes them;
    // the picture's preview is written under its kind's name.
    StartupRun picture;
    picture.steps.header = headerOf(kPicture, true, true);
    EXPECT_EQ(picture.start(), velumar::kOk);
    EXPECT_EQ(picture.log, withStart({"slot 5", "slot 2", "flash", "caption", "slot 4", "licence",
                                      "slot 3", "preview", "layout", "cursor", "show"}));
    EXPECT_EQ(picture.steps.previewName, "sea.BMP");
    EXPECT_EQ(picture.driver.state().header.slot(slots::preview).name(), "sea.BMP");
}

TEST(StartupDriver, SilentKindInstallsWithoutWindowStepsAndCloses) {
    StartupRun run;
    run.steps.header = headerOf(kSilent, true, true);
    EXPECT_EQ(run.start(), velumar::kOk);
    EXPECT_EQ(run.log,
              withStart({"slot 5", "slot 2", "flash", "silent install", "cursor", "close"}));
}

TEST(StartupDriver, AFailedStepEndsStartUpWithItsBoxAndClosesTheWindow) {
    const ErrorCode code = 5;
    const std::string box = "error " + startupFailureText(code);
    const struct {
        std::string step;
        Log ran;  // after the steps kSteps lists up to the failing one
    } cases[] = {
        {"locate", {"hourglass", "folders", "locate"}},
        {"copy", {"hourglass", "folders", "locate", "copy"}},
        {"header", {"hourglass", "folders", "locate", "copy", "header"}},
        {"slot 1", {"hourglass", "folders", "locate", "copy", "header", "slot 1"}},
        {"slot 5", withStart({"slot 5"})},
        {"slot 2", withStart({"slot 5", "slot 2"})},
        {"flash", withStart({"slot 5", "slot 2", "flash"})},
        {"slot 4", withStart({"slot 5", "slot 2", "flash", "caption", "slot 4"})},
        {"licence", withStart({"slot 5", "slot 2", "flash", "caption", "slot 4", "licence"})},
        {"slot 3",
         withStart({"slot 5", "slot 2", "flash", "caption", "slot 4", "licence", "slot 3"})},
    };
    for (const auto& failing : cases) {
        SCOPED_TRACE(failing.step);
        StartupRun run;
        run.steps.header = headerOf(kMovie, true, true);
        run.steps.fail[failing.step] = code;
        EXPECT_EQ(run.start(), code);
        Log expected = failing.ran;
        expected.insert(expected.end(), {"cursor", box, "close"});
        EXPECT_EQ(run.log, expected);
        EXPECT_EQ(run.driver.startupCode(), code);
    }
}

TEST(StartupDriver, RefusedCopiesAndNamesAndACancelledFlashStep) {
    // A damaged copy says to download it again; nothing after the header runs.
    StartupRun damaged;
    damaged.steps.header = headerOf(kMovie, false, false);
    damaged.steps.fail["header"] = kInstallerDamaged;
    EXPECT_EQ(damaged.start(), kInstallerDamaged);
    EXPECT_EQ(damaged.log, (Log{"hourglass", "folders", "locate", "copy", "header", "cursor",
                                "error " + startupFailureText(kInstallerDamaged), "close"}));

    // A name outside the wallpaper-name rule writes nothing, not even the first slot.
    StartupRun unsafe;
    unsafe.steps.header = headerOf(kMovie, false, false);
    unsafe.steps.header.setWallpaperName("..\\..\\System");
    EXPECT_EQ(unsafe.start(), kUnsafeWallpaperName);
    EXPECT_EQ(unsafe.log, (Log{"hourglass", "folders", "locate", "copy", "header", "cursor",
                               "error " + startupFailureText(kUnsafeWallpaperName), "close"}));
    EXPECT_TRUE(unsafe.driver.state().wallpaperFolder.empty());

    // Cancel in the Flash player box ends start-up without a box.
    StartupRun cancelled;
    cancelled.steps.header = headerOf(kMovie, false, false);
    cancelled.steps.fail["flash"] = kFlashStepCancelled;
    EXPECT_EQ(cancelled.start(), kFlashStepCancelled);
    EXPECT_EQ(cancelled.log, withStart({"slot 2", "flash", "cursor", "close"}));
}

TEST(StartupDriver, EndRemovesWhatTheRunLeftUnlessAnInstallationWasKept) {
    StartupRun nothingInstalled;
    nothingInstalled.steps.header = headerOf(kMovie, false, false);
    nothingInstalled.start();
    nothingInstalled.log.clear();
    EXPECT_EQ(nothingInstalled.driver.endRun(nothingInstalled.steps), kExitCancelled);
    EXPECT_EQ(nothingInstalled.log, (Log{"remove copy", "delete folder", "restore desktop"}));

    StartupRun installed;
    installed.steps.header = headerOf(kMovie, false, false);
    installed.start();
    installed.driver.state().installed = true;
    installed.driver.state().installationKept = true;
    installed.log.clear();
    EXPECT_EQ(installed.driver.endRun(installed.steps), kExitInstalled);
    EXPECT_EQ(installed.log, (Log{"remove copy"}));

    // A folder that was there before start-up is never deleted; only the registration of a
    // kept installation failed.
    StartupRun registrationFailed;
    registrationFailed.steps.header = headerOf(kMovie, false, false);
    registrationFailed.start();
    registrationFailed.driver.state().folderWasCreated = 0;
    registrationFailed.driver.state().installationKept = true;
    registrationFailed.driver.state().installResult = 5;
    registrationFailed.log.clear();
    EXPECT_EQ(registrationFailed.driver.endRun(registrationFailed.steps), kExitFailed);
    EXPECT_EQ(registrationFailed.log, (Log{"remove copy"}));

    // A run that ended before the folder was made removes the copy's folder and puts the
    // desktop back; a damaged installer says so in its exit code.
    StartupRun damaged;
    damaged.steps.header = headerOf(kMovie, false, false);
    damaged.steps.fail["header"] = kInstallerDamaged;
    damaged.start();
    damaged.log.clear();
    EXPECT_EQ(damaged.driver.endRun(damaged.steps), kExitDamaged);
    EXPECT_EQ(damaged.log, (Log{"remove copy", "restore desktop"}));
}

}  // namespace
}  // namespace velumar::app
