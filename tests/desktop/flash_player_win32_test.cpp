// The Flash player step in process, against the stand-in control and with a fast wait: the
// paths the end-to-end runs cannot reach cheaply.
#include "desktop/flash_player_win32.h"

#include <gtest/gtest.h>

#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/scratch_folder_win32.h"
#include "util/standin_registration_win32.h"

namespace velumar::desktop {
namespace {

constexpr char kFlashClassId[] = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";

std::string hostPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Records what the step asks of the windows; answers the box from a list.
class RecordingPrompt final : public FlashPlayerPrompt {
  public:
    void showExitApplicationsBox() override { ++boxShown; }
    int waitForAnswer() override { return answers.empty() ? 2 : takeAnswer(); }
    void hideExitApplicationsBox() override {}
    void showPreparingWindow() override { ++preparingShown; }
    void parkPreparingWindow() override { ++preparingParked; }
    void processMessages() override {}
    bool pauseLettingMessagesThrough(unsigned milliseconds) override {
        ++pauses;
        ::Sleep(milliseconds);
        return pauses <= pausesBeforeEnd;
    }
    WaitEnd waitLettingMessagesThrough(HANDLE object, unsigned milliseconds) override {
        ++objectWaits;
        if (endObjectWait) return WaitEnd::endRequested;
        return ::WaitForSingleObject(object, milliseconds) == WAIT_OBJECT_0 ? WaitEnd::signalled
                                                                            : WaitEnd::timedOut;
    }
    void bringApplicationToFront() override {}

    std::vector<int> answers;
    int boxShown = 0;
    int preparingShown = 0;
    int preparingParked = 0;
    int pauses = 0;
    int pausesBeforeEnd = 1 << 30;  // the pause after which the user ends the wait
    int objectWaits = 0;
    bool endObjectWait = false;  // the user ends the wait for the player's installer

  private:
    int takeAnswer() {
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};

class FlashPlayerStepTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ole.succeeded());
        system = scratch.path() + "system\\";
        windows = scratch.path() + "windows\\";
        forceFolder(system + "Macromed\\Flash\\");
        forceFolder(windows);
        ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", nullptr);
    }
    void TearDown() override {
        for (const char* name : {"VELUMAR_FLASH_FAIL", "VELUMAR_PLAYER_LOG", "VELUMAR_PLAYER_MS",
                                 "VELUMAR_PLAYER_WRITES"})
            ::SetEnvironmentVariableA(name, nullptr);
    }

    FlashPlayerStep step(bool silent = false) {
        return FlashPlayerStep(system, windows, prompt, version, silent,
                               FlashPlayerWait{3, 10, 30000});
    }

    // The stand-in player installer as flashax.exe, held as start-up holds the file it checked;
    // it runs for runMs and then writes "new player" over Flash.ocx.
    FileHandle placeInstaller(unsigned runMs) {
        const std::string installer = windows + "flashax.exe";
        EXPECT_TRUE(
            ::CopyFileA(hostPath(PLAYER_INSTALLER_STANDIN).c_str(), installer.c_str(), FALSE));
        ::SetEnvironmentVariableA("VELUMAR_PLAYER_LOG", log().c_str());
        ::SetEnvironmentVariableA("VELUMAR_PLAYER_MS", std::to_string(runMs).c_str());
        ::SetEnvironmentVariableA("VELUMAR_PLAYER_WRITES", flashOcx().c_str());
        return openForReading(installer);
    }
    std::string log() const { return scratch.path() + "player.log"; }
    std::string flashOcx() const { return system + "Macromed\\Flash\\Flash.ocx"; }
    static std::string contentOf(const std::string& path) {
        std::string content;
        readWholeFile(path, content);
        return content;
    }
    // Until the file holds text, for at most ms.
    static bool waitForContent(const std::string& path, const std::string& text, DWORD ms) {
        for (DWORD waited = 0; waited < ms; waited += 50) {
            if (contentOf(path) == text) return true;
            ::Sleep(50);
        }
        return contentOf(path) == text;
    }

    const ComInitGuard ole{ComInitGuard::Mode::Ole};
    const std::string control = hostPath(FLASH_CONTROL_DLL);
    const velumar::testing::StandInServerRegistration forUser{HKEY_CURRENT_USER, kFlashClassId,
                                                              control};
    const velumar::testing::StandInServerRegistration forMachine{HKEY_LOCAL_MACHINE, kFlashClassId,
                                                                 control};
    velumar::testing::ScratchFolder scratch;
    std::string system, windows;
    RecordingPrompt prompt;
    FlashPlayerVersion version;
};

TEST_F(FlashPlayerStepTest, ReadsFlashOcxFirstThenSwflash) {
    auto check = step();
    ::CopyFileA(control.c_str(), (system + "Macromed\\Flash\\swflash.ocx").c_str(), FALSE);
    EXPECT_FALSE(check.flashPlayerNeedsUpdate(true));
    EXPECT_EQ(version.major, 6);
    EXPECT_EQ(version.build, 79);
    velumar::testing::writeFile(system + "Macromed\\Flash\\Flash.ocx", "no version here");
    EXPECT_TRUE(check.flashPlayerNeedsUpdate(true)) << "Flash.ocx wins, and reads as 0.0";
    EXPECT_EQ(version.major, 0);
}

TEST_F(FlashPlayerStepTest, WaitSucceedsOnceTheControlAnswersAndGivesUpAfterItsAttempts) {
    EXPECT_TRUE(step().waitForFlashPlayer());
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", "create");
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(step().waitForFlashPlayer());
    EXPECT_LT(::GetTickCount() - start, 5000u) << "three attempts of 10 ms";
    EXPECT_EQ(prompt.pauses, 4) << "one pause before each attempt, messages let through";
}

// The wait for the control ends after its time, however many attempts are left, or at once
// when the user ends it.
TEST_F(FlashPlayerStepTest, ControlWaitEndsInTimeOrWhenTheUserEndsIt) {
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", "create");
    FlashPlayerStep timed(system, windows, prompt, version, false, FlashPlayerWait{10000, 20, 300});
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(timed.waitForFlashPlayer());
    const DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took, 300u);
    EXPECT_LT(took, 2000u);

    prompt.pauses = 0;
    prompt.pausesBeforeEnd = 5;
    FlashPlayerStep ended(system, windows, prompt, version, false,
                          FlashPlayerWait{10000, 20, 60000});
    EXPECT_FALSE(ended.waitForFlashPlayer());
    EXPECT_EQ(prompt.pauses, 6) << "ended at the user's request, not by its time";
}

TEST_F(FlashPlayerStepTest, MissingInstallerIsMinus401WithoutWaitAndThePreparingWindowParked) {
    EXPECT_EQ(step().installFlashPlayer(), kFlashInstallerMissing);
    EXPECT_EQ(prompt.boxShown, 0);
    EXPECT_EQ(prompt.preparingShown, 1);
    EXPECT_EQ(prompt.preparingParked, 1);
    EXPECT_EQ(step(true).installFlashPlayer(), kFlashInstallerMissing);
    EXPECT_EQ(prompt.preparingShown, 1) << "never for the silent kind";
}

// The user's control files are moved aside, not deleted: a missing installer or a Cancel puts
// them back byte for byte, under their own names.
TEST_F(FlashPlayerStepTest, OldControlFilesComeBackWhenTheUpdateFails) {
    const std::string flash =
        velumar::testing::writeFile(system + "Macromed\\Flash\\Flash.ocx", "old player");
    const std::string old =
        velumar::testing::writeFile(system + "Macromed\\Flash\\swflash.ocx", "older player");
    EXPECT_EQ(step().installFlashPlayer(), kFlashInstallerMissing);
    std::string content;
    EXPECT_TRUE(readWholeFile(flash, content));
    EXPECT_EQ(content, "old player");
    EXPECT_TRUE(readWholeFile(old, content));
    EXPECT_EQ(content, "older player");
    EXPECT_FALSE(fileExists(flash + ".old"));
    EXPECT_FALSE(fileExists(old + ".old"));

    // Held by a program, and Cancel: the file that could be moved comes back too.
    const FileHandle held(::CreateFileA(flash.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    prompt.answers = {2};
    EXPECT_EQ(step().installFlashPlayer(), kFlashStepCancelled);
    EXPECT_TRUE(readWholeFile(old, content));
    EXPECT_EQ(content, "older player");
    EXPECT_FALSE(fileExists(old + ".old"));
}

TEST_F(FlashPlayerStepTest, LockedControlAsksUntilCancelled) {
    const std::string file =
        velumar::testing::writeFile(system + "Macromed\\Flash\\Flash.ocx", "old");
    const FileHandle held(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    prompt.answers = {1, 1, 2};
    EXPECT_EQ(step().installFlashPlayer(), kFlashStepCancelled);
    EXPECT_EQ(prompt.boxShown, 3);
    EXPECT_EQ(prompt.preparingShown, 0);
    EXPECT_EQ(prompt.preparingParked, 1);
}

// The player's installer is started by its full path, quoted, hidden, in the system folder, and
// waited for; after it ended without a control that can be created, the control gets its time
// and the step ends with -402, the old control file back under its name.
TEST_F(FlashPlayerStepTest, InstallerThatEndsWithoutAControlIsMinus402AndTheOldFileComesBack) {
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", "create");
    velumar::testing::writeFile(flashOcx(), "old player");
    FlashPlayerStep update(system, windows, prompt, version, false,
                           FlashPlayerWait{10000, 20, 300, 20000});
    update.holdCheckedInstaller(placeInstaller(200));
    ::SetEnvironmentVariableA("VELUMAR_PLAYER_WRITES", nullptr);  // it leaves no control at all
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(update.installFlashPlayer(), kFlashControlUnusable);
    const DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took, 500u) << "its run, then the control's time";
    EXPECT_LT(took, 5000u);
    EXPECT_EQ(prompt.objectWaits, 1);
    EXPECT_EQ(contentOf(log()), "command=\"" + windows + "flashax.exe\" /Q\nfolder=" +
                                    system.substr(0, system.size() - 1) + "\nhidden=yes\n");
    EXPECT_EQ(contentOf(flashOcx()), "old player");
    EXPECT_FALSE(fileExists(flashOcx() + ".old"));
}

// Still running when its time runs out (the silent kind) or when the user ends the wait: -402
// at once, without the control's wait, and the old file is not put back under the installer,
// whose own control is the one in place when it ends; the old one stays beside it.
TEST_F(FlashPlayerStepTest, InstallerStillRunningWhenTheWaitEndsKeepsTheOldFileAside) {
    for (const bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "its time ran out" : "the user ended the wait");
        velumar::testing::writeFile(flashOcx(), "old player");
        prompt.endObjectWait = !silent;
        FlashPlayerStep update(system, windows, prompt, version, silent,
                               FlashPlayerWait{10000, 20, 30000, 300});
        update.holdCheckedInstaller(placeInstaller(2500));
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(update.installFlashPlayer(), kFlashControlUnusable);
        EXPECT_LT(::GetTickCount() - start, 2000u);
        EXPECT_EQ(prompt.pauses, 0) << "no wait for the control";
        EXPECT_EQ(contentOf(flashOcx() + ".old"), "old player");
        EXPECT_TRUE(waitForContent(flashOcx(), "new player", 10000)) << "the installer's control";
        ::Sleep(200);
        EXPECT_EQ(contentOf(flashOcx()), "new player");
        EXPECT_EQ(contentOf(flashOcx() + ".old"), "old player") << "kept, not lost";
        ::DeleteFileA(flashOcx().c_str());
        ::DeleteFileA((flashOcx() + ".old").c_str());
    }
}

// Only the file start-up checked and holds is started: a flashax.exe that is merely there is
// missing to the step.
TEST_F(FlashPlayerStepTest, UncheckedInstallerIsNeverStarted) {
    placeInstaller(0);
    EXPECT_EQ(step().installFlashPlayer(), kFlashInstallerMissing);
    ::Sleep(300);
    EXPECT_FALSE(fileExists(log())) << "never started";
}

}  // namespace
}  // namespace velumar::desktop
