#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "desktop/install_driver.h"
#include "package/byte_source.h"
#include "package/package_rules.h"

namespace velumar::desktop {
namespace {

using Log = std::vector<std::string>;

// Records every call in one log, window and steps alike, so the order can be compared whole.
class FakeUi final : public InstallUi {
  public:
    explicit FakeUi(Log& log) : log_(log) {}
    void setStatusText(std::string_view text) override {
        log_.push_back("status " + std::string(text));
    }
    void stepProgress() override { log_.push_back("step"); }
    void reportInstallError(ErrorCode code, const std::string& text) override {
        log_.push_back("report " + std::to_string(code) + " " + text);
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
    bool cancelRequested() const override { return cancel; }
    bool busy() const override { return busy_; }
    void setBusy(bool value) override {
        busy_ = value;
        log_.push_back(value ? "busy" : "idle");
    }
    bool confirmOverwrite(const std::string& text) override {
        log_.push_back("confirm " + text);
        return answerOk;
    }
    bool askOpenDisplayProperties() override {
        log_.push_back("success box");
        return answerYes;
    }
    void bringToFront() override { log_.push_back("front"); }
    void minimise() override { log_.push_back("minimise"); }

    bool cancel = false;
    bool answerOk = true;
    bool answerYes = true;

  private:
    Log& log_;
    bool busy_ = false;
};

class FakeSteps final : public InstallSteps {
  public:
    FakeSteps(Log& log, FakeUi& ui) : log_(log), ui_(ui) {}
    void showHourglass() override { log_.push_back("hourglass"); }
    void restoreCursor() override { log_.push_back("cursor"); }
    void closeDisplayProperties() override { log_.push_back("closeDisplay"); }
    ErrorCode setAsideEarlierInstallation() override { return logged("setAside", setAsideCode); }
    ErrorCode extractInstallEntries() override {
        log_.push_back("extract");
        if (cancelDuringExtraction) ui_.cancel = true;
        return extractCode;
    }
    ErrorCode readDataFileHeader() override { return logged("readHeader", headerCode); }
    ErrorCode expandDataFile() override { return logged("expand", expandCode); }
    ErrorCode setupWallpaper() override { return logged("wallpaper", 0); }
    void openAfterInstallFile() override { log_.push_back("openAfter"); }
    ErrorCode registerUninstall() override { return logged("register", registerCode); }
    void deleteDataFile() override { log_.push_back("deleteData"); }
    void cleanUpInstallation() override { log_.push_back("cleanUp"); }
    void discardEarlierInstallation() override { log_.push_back("discard"); }
    void openDisplayProperties() override { log_.push_back("openDisplay"); }
    bool wallpaperPageExists() override { return pageExists; }

    ErrorCode setAsideCode = 0, extractCode = 0, headerCode = 0, expandCode = 0, registerCode = 0;
    bool cancelDuringExtraction = false;
    bool pageExists = false;

  private:
    ErrorCode logged(const char* what, ErrorCode code) {
        log_.push_back(what);
        return code;
    }
    Log& log_;
    FakeUi& ui_;
};

struct Harness {
    Log log;
    FakeUi ui{log};
    FakeSteps steps{log, ui};
    InstallerState state;

    Harness() {
        state.wallpaperName = "Beach";
        state.folderWasCreated = 1;
    }
};

TEST(RunInstallation, SuccessfulRunMakesEveryStepInOrder) {
    Harness run;
    EXPECT_EQ(runInstallation(run.ui, run.steps), 0);
    EXPECT_EQ(run.log, (Log{"hourglass", "started", "closeDisplay", "setAside", "extract",
                            "readHeader", "expand", "wallpaper", "openAfter", "register",
                            "deleteData", "discard", "cursor", "result 0"}));
}

// A foreign uninstall entry, or an earlier installation that cannot be moved aside, ends the
// run before anything is written; the clean-up then only gives back what was set aside.
TEST(RunInstallation, EarlierInstallationThatCannotBeSetAsideStopsBeforeWriting) {
    Harness run;
    run.steps.setAsideCode = -542;
    EXPECT_EQ(runInstallation(run.ui, run.steps), -542);
    EXPECT_EQ(run.log, (Log{"hourglass", "started", "closeDisplay", "setAside", "deleteData",
                            "cleanUp", "cursor", "result -542"}));
}

TEST(RunInstallation, FailedRecordStopsTheStepsCleansUpAndShowsTheCode) {
    Harness run;
    run.steps.expandCode = -13;
    EXPECT_EQ(runInstallation(run.ui, run.steps), -13);
    EXPECT_EQ(run.log,
              (Log{"hourglass", "started", "closeDisplay", "setAside", "extract", "readHeader",
                   "expand", "deleteData", "cleanUp", "cursor", "result -13"}));
}

TEST(RunInstallation, CancelDuringExtractionCleansUpWithoutFinalState) {
    Harness run;
    run.steps.cancelDuringExtraction = true;
    EXPECT_EQ(runInstallation(run.ui, run.steps), 0);
    EXPECT_EQ(run.log, (Log{"hourglass", "started", "closeDisplay", "setAside", "extract",
                            "deleteData", "cleanUp", "cursor"}));
}

TEST(RunInstallation, FailedRegistrationKeepsTheFilesButFailsTheRun) {
    Harness run;
    run.steps.registerCode = 5;
    EXPECT_EQ(runInstallation(run.ui, run.steps), 5);
    EXPECT_EQ(run.log.back(), "result 5");
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(), "cleanUp"), 0);
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(), "discard"), 1);  // the files stay
}

TEST(InstallButton, FreshFolderAndNoPageAsksNothing) {
    Harness run;
    EXPECT_EQ(installBtnClick(run.ui, run.steps, run.state), InstallButtonOutcome::closeWindow);
    EXPECT_TRUE(run.state.installed);
    EXPECT_EQ(run.log.front(), "busy");
    EXPECT_EQ(run.log.back(), "idle");
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(),
                         "confirm Beach wallpaper already exists.  Overwrite?"),
              0);
}

TEST(InstallButton, FolderThatExistedBeforeAsksAndCancelTouchesNothing) {
    Harness run;
    run.state.folderWasCreated = 0;
    run.ui.answerOk = false;
    EXPECT_EQ(installBtnClick(run.ui, run.steps, run.state), InstallButtonOutcome::declined);
    EXPECT_EQ(run.log,
              (Log{"busy", "confirm Beach wallpaper already exists.  Overwrite?", "idle"}));
    EXPECT_FALSE(run.ui.busy());
}

TEST(InstallButton, ExistingPageAsksAndOkRuns) {
    Harness run;
    run.steps.pageExists = true;
    EXPECT_EQ(installBtnClick(run.ui, run.steps, run.state), InstallButtonOutcome::closeWindow);
    EXPECT_EQ(run.log[1], "confirm Beach wallpaper already exists.  Overwrite?");
    EXPECT_EQ(run.log[2], "hourglass");
}

TEST(InstallButton, SuccessBoxOnlyWhenOfferedAndYesOpensDisplayProperties) {
    Harness offered;
    offered.state.header.offerDisplayProperties = 1;
    installBtnClick(offered.ui, offered.steps, offered.state);
    const Log tail(offered.log.end() - 5, offered.log.end());
    EXPECT_EQ(tail, (Log{"front", "success box", "minimise", "openDisplay", "idle"}));

    Harness notOffered;
    installBtnClick(notOffered.ui, notOffered.steps, notOffered.state);
    EXPECT_EQ(std::count(notOffered.log.begin(), notOffered.log.end(), "success box"), 0);
}

TEST(InstallButton, SecondPressWhileBusyIsIgnoredAndFailureKeepsTheWindow) {
    Harness run;
    run.ui.setBusy(true);
    run.log.clear();
    EXPECT_EQ(installBtnClick(run.ui, run.steps, run.state), InstallButtonOutcome::ignored);
    EXPECT_TRUE(run.log.empty());

    Harness failing;
    failing.steps.extractCode = -531;
    failing.state.header.offerDisplayProperties = 1;
    EXPECT_EQ(installBtnClick(failing.ui, failing.steps, failing.state),
              InstallButtonOutcome::stayOpen);
    EXPECT_EQ(std::count(failing.log.begin(), failing.log.end(), "success box"), 0);
    EXPECT_FALSE(failing.state.installed);
    EXPECT_EQ(failing.state.installResult, -531);
}

TEST(SilentInstall, OpensDisplayPropertiesOnlyAfterSuccess) {
    Harness ok;
    EXPECT_EQ(runSilentInstall(ok.ui, ok.steps), 0);
    EXPECT_EQ(ok.log.back(), "openDisplay");
    Harness failing;
    failing.steps.headerCode = 100;
    EXPECT_EQ(runSilentInstall(failing.ui, failing.steps), 100);
    EXPECT_NE(failing.log.back(), "openDisplay");
}

TEST(InstallEntries, SlotsFiveOrSixToNineOrTenWithoutSeven) {
    package::PackageHeader header;
    EXPECT_EQ(package::installEntrySlots(header), (std::vector<int>{6, 8, 9}));
    header.openAfterInstall = 1;
    header.slot(10).setName("extra.txt");
    EXPECT_EQ(package::installEntrySlots(header), (std::vector<int>{5, 6, 8, 9, 10}));
}

TEST(InstallEntries, StopAtTheFirstFailureOrCancel) {
    Log log;
    FakeUi ui(log);
    package::PackageHeader header;
    const std::vector<uint8_t> none;
    package::MemorySource source(none);
    std::vector<int> written;
    EXPECT_EQ(extractEntriesInOrder(ui, header, source,
                                    [&](package::ByteSource&, int slot, bool progress) {
                                        EXPECT_TRUE(progress);
                                        written.push_back(slot);
                                        return slot == 8 ? -35 : 0;
                                    }),
              -35);
    EXPECT_EQ(written, (std::vector<int>{6, 8}));

    written.clear();
    EXPECT_EQ(extractEntriesInOrder(ui, header, source,
                                    [&](package::ByteSource&, int slot, bool) {
                                        written.push_back(slot);
                                        ui.cancel = true;
                                        return 0;
                                    }),
              0);
    EXPECT_EQ(written, (std::vector<int>{6}));
}

}  // namespace
}  // namespace velumar::desktop
