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
    HWND applicationWindow() override { return nullptr; }
    void bringApplicationToFront() override {}

    std::vector<int> answers;
    int boxShown = 0;
    int preparingShown = 0;
    int preparingParked = 0;
    int pauses = 0;
    int pausesBeforeEnd = 1 << 30;  // the pause after which the user ends the wait

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
    void TearDown() override { ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", nullptr); }

    FlashPlayerStep step(bool silent = false) {
        return FlashPlayerStep(system, windows, prompt, version, silent, FlashPlayerWait{3, 10, 30000});
    }

    const ComInitGuard ole{ComInitGuard::Mode::Ole};
    const std::string control = hostPath(FLASH_CONTROL_DLL);
    const velumar::testing::StandInServerRegistration forUser{HKEY_CURRENT_USER, kFlashClassId, control};
    const velumar::testing::StandInServerRegistration forMachine{HKEY_LOCAL_MACHINE, kFlashClassId, control};
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
    EXPECT_TRUE(step().waitForFlashPlayer(PlayerWait::afterInstaller));
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", "create");
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(step().waitForFlashPlayer(PlayerWait::afterInstaller));
    EXPECT_LT(::GetTickCount() - start, 5000u) << "three attempts of 10 ms";
    EXPECT_EQ(prompt.pauses, 4) << "one pause before each attempt, messages let through";
}

// With the player up to date the wait ends after its time, however many attempts are left;
// after the installer it runs on until the user ends it.
TEST_F(FlashPlayerStepTest, UpToDateWaitEndsInTimeAndTheUserEndsTheOther) {
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", "create");
    FlashPlayerStep upToDate(system, windows, prompt, version, false, FlashPlayerWait{10000, 20, 300});
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(upToDate.waitForFlashPlayer(PlayerWait::upToDate));
    const DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took, 300u);
    EXPECT_LT(took, 2000u);

    prompt.pauses = 0;
    prompt.pausesBeforeEnd = 5;
    FlashPlayerStep afterInstaller(system, windows, prompt, version, false, FlashPlayerWait{10000, 20, 300});
    EXPECT_FALSE(afterInstaller.waitForFlashPlayer(PlayerWait::afterInstaller));
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
    const std::string flash = velumar::testing::writeFile(system + "Macromed\\Flash\\Flash.ocx", "old player");
    const std::string old = velumar::testing::writeFile(system + "Macromed\\Flash\\swflash.ocx", "older player");
    EXPECT_EQ(step().installFlashPlayer(), kFlashInstallerMissing);
    std::string content;
    EXPECT_TRUE(readWholeFile(flash, content));
    EXPECT_EQ(content, "old player");
    EXPECT_TRUE(readWholeFile(old, content));
    EXPECT_EQ(content, "older player");
    EXPECT_FALSE(fileExists(flash + ".old"));
    EXPECT_FALSE(fileExists(old + ".old"));

    // Held by a program, and Cancel: the file that could be moved comes back too.
    const FileHandle held(::CreateFileA(flash.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    prompt.answers = {2};
    EXPECT_EQ(step().installFlashPlayer(), kFlashStepCancelled);
    EXPECT_TRUE(readWholeFile(old, content));
    EXPECT_EQ(content, "older player");
    EXPECT_FALSE(fileExists(old + ".old"));
}

TEST_F(FlashPlayerStepTest, LockedControlAsksUntilCancelled) {
    const std::string file = velumar::testing::writeFile(system + "Macromed\\Flash\\Flash.ocx", "old");
    const FileHandle held(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    prompt.answers = {1, 1, 2};
    EXPECT_EQ(step().installFlashPlayer(), kFlashStepCancelled);
    EXPECT_EQ(prompt.boxShown, 3);
    EXPECT_EQ(prompt.preparingShown, 0);
    EXPECT_EQ(prompt.preparingParked, 1);
}

}  // namespace
}  // namespace velumar::desktop
