// TFlashPanel against the stand-in control, registered under the Flash class id for the test:
// the calls the panel makes, in order, and the panel's state after each kind of load.
#include "flash/FlashPanel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "flash/ShockwaveFlashObjects_TLB.h"
#include "swf_builder.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/scratch_folder_win32.h"
#include "util/standin_registration_win32.h"

namespace velumar::flash {
namespace {

using Lines = std::vector<std::string>;
using testing::Bytes;

std::string hostPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    const FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

Lines readLines(const std::string& path) {
    std::ifstream in(path);
    Lines lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The calls of createFlashControl and startMovie for one movie, on a 350 x 150 panel.
Lines createAndStartCalls(const std::string& movie) {
    return {"create",
            "site",
            "ambient UserMode true",
            "verb -5",
            "size 350 150",
            "advise events",
            "set ScaleMode 0",
            "call SetVariable Align AlClient",
            "set WMode Opaque",
            "set Menu false",
            "verb -3",
            "set Movie " + movie,
            "call Play",
            "verb -1"};
}

const Lines kReleaseCalls = {"call StopPlay", "unadvise events", "deactivate",
                             "close",         "site none",       "destroyed"};

Lines concat(Lines first, const Lines& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class FlashPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ole.succeeded());
        ASSERT_TRUE(forUser.registered());
        ASSERT_TRUE(forMachine.registered());
        folder = scratch.path();
        log = folder + "flash.log";
        temp = folder + "temp\\";
        ::CreateDirectoryA(temp.c_str(), nullptr);
        char saved[MAX_PATH + 1] = {};
        if (::GetEnvironmentVariableA("TEMP", saved, MAX_PATH)) savedTemp = saved;
        ::SetEnvironmentVariableA("TEMP", temp.c_str());
        ::SetEnvironmentVariableA("VELUMAR_FLASH_LOG", log.c_str());
        ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", nullptr);
        ::SetEnvironmentVariableA("VELUMAR_FLASH_FSCOMMAND", nullptr);
        ::SetEnvironmentVariableA("VELUMAR_FLASH_POSRECT", nullptr);
        host = ::CreateWindowExA(0, "STATIC", "flash test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 400, 200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(host);

        fwsMovie =
            movie("plain.swf",
                  testing::fws(testing::movieBody(testing::backgroundTag(0x33, 0x66, 0x99))));
        cwsMovie =
            movie("packed.swf",
                  testing::cws(testing::movieBody(testing::backgroundTag(0x38, 0xAD, 0xA9))));
        version7 = movie("seven.swf",
                         testing::fws(testing::movieBody(testing::backgroundTag(1, 2, 3)), 7));
    }

    void TearDown() override {
        if (host) ::DestroyWindow(host);
        ::SetEnvironmentVariableA("TEMP", savedTemp.empty() ? nullptr : savedTemp.c_str());
        ::SetEnvironmentVariableA("VELUMAR_FLASH_LOG", nullptr);
        ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", nullptr);
        ::SetEnvironmentVariableA("VELUMAR_FLASH_FSCOMMAND", nullptr);
        ::SetEnvironmentVariableA("VELUMAR_FLASH_POSRECT", nullptr);
    }

    std::string movie(const std::string& name, const Bytes& bytes) {
        writeBytes(folder + name, bytes);
        return folder + name;
    }

    std::unique_ptr<TFlashPanel> makePanel() {
        auto panel = std::make_unique<TFlashPanel>();
        EXPECT_TRUE(panel->create(host, 100, 5, 5, 350, 150));
        return panel;
    }

    Lines takeLog() {
        Lines lines = readLines(log);
        ::DeleteFileA(log.c_str());
        return lines;
    }

    const ComInitGuard ole{ComInitGuard::Mode::Ole};
    const std::string library = hostPath(FLASH_STANDIN_DLL);
    const velumar::testing::StandInServerRegistration forUser{HKEY_CURRENT_USER, kFlashClassIdText,
                                                              library};
    const velumar::testing::StandInServerRegistration forMachine{HKEY_LOCAL_MACHINE,
                                                                 kFlashClassIdText, library};
    velumar::testing::ScratchFolder scratch;
    std::string folder, log, temp, savedTemp;
    std::string fwsMovie, cwsMovie, version7;
    HWND host = nullptr;
};

TEST_F(FlashPanelTest, PlainThenCompressedMovieCreatesStartsAndReleasesInOrder) {
    auto panel = makePanel();
    EXPECT_EQ(panel->loadMovie(fwsMovie).status, 0);
    EXPECT_EQ(takeLog(), createAndStartCalls(fwsMovie));
    EXPECT_EQ(panel->color(), RGB(0x33, 0x66, 0x99));
    EXPECT_TRUE(panel->hasFlashControl());

    // The compressed movie is given to the control by its own path, never the copy's.
    const MovieLoad load = panel->loadMovie(cwsMovie);
    EXPECT_EQ(load.status, 0);
    EXPECT_FALSE(load.failure);
    EXPECT_EQ(takeLog(), concat(kReleaseCalls, createAndStartCalls(cwsMovie)));
    EXPECT_EQ(panel->color(), RGB(0x38, 0xAD, 0xA9));
    EXPECT_EQ(panel->movieSignature(), "CWS");

    // The same path again does nothing; an empty one neither.
    EXPECT_EQ(panel->loadMovie(cwsMovie).status, 0);
    EXPECT_EQ(panel->loadMovie("").status, 0);
    EXPECT_TRUE(takeLog().empty());
    EXPECT_EQ(panel->swfFilename(), cwsMovie);
}

TEST_F(FlashPanelTest, VersionSevenCreatesNoControlAndLeavesThePanelWhite) {
    auto panel = makePanel();
    EXPECT_EQ(panel->loadMovie(version7).status, kMovieVersionTooNew);
    EXPECT_FALSE(panel->hasFlashControl());
    EXPECT_EQ(panel->color(), RGB(255, 255, 255));
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(FlashPanelTest, RejectedAndUnreadableMoviesLeaveThePreviousOnePlaying) {
    auto panel = makePanel();
    ASSERT_EQ(panel->loadMovie(fwsMovie).status, 0);
    takeLog();
    const std::string lower = movie("lower.swf", Bytes{'f', 'w', 's', 6, 0, 0, 0, 0});
    EXPECT_EQ(panel->loadMovie(lower).status, kMovieSignatureRejected);
    EXPECT_EQ(panel->swfFilename(), lower);

    Bytes noColour = testing::tag(1, {});
    testing::append(noColour, testing::tag(0, {}));
    const std::string cut = movie("cut.swf", testing::fws(testing::movieBody(noColour)));
    const MovieLoad load = panel->loadMovie(cut);
    EXPECT_EQ(load.status, 0);
    EXPECT_EQ(load.failure.kind, MovieFailureKind::readError);
    EXPECT_EQ(panel->swfFilename(), cut);

    EXPECT_TRUE(panel->hasFlashControl());
    EXPECT_EQ(panel->color(), RGB(0x33, 0x66, 0x99));
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(FlashPanelTest, UnloadLeavesItBlackWithoutControl) {
    auto panel = makePanel();
    ASSERT_EQ(panel->loadMovie(fwsMovie).status, 0);
    takeLog();
    panel->unloadMovie();
    EXPECT_EQ(takeLog(), kReleaseCalls);
    EXPECT_FALSE(panel->hasFlashControl());
    EXPECT_EQ(panel->color(), RGB(0, 0, 0));
    EXPECT_TRUE(panel->swfFilename().empty());
    // Loaded again after the unload, as the path was forgotten.
    EXPECT_EQ(panel->loadMovie(fwsMovie).status, 0);
    EXPECT_EQ(takeLog(), createAndStartCalls(fwsMovie));
}

// Every creation refused: -403 within the bound of two seconds (at most 10000 attempts), the
// panel in the movie's colour.
TEST_F(FlashPanelTest, ControlThatCannotBeCreatedGivesMinus403InTheMovieColour) {
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", "create");
    auto panel = makePanel();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(panel->loadMovie(cwsMovie).status, kFlashControlNotCreated);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::milliseconds(kCreateControlMilliseconds + 1000));
    EXPECT_FALSE(panel->hasFlashControl());
    EXPECT_EQ(panel->color(), RGB(0x38, 0xAD, 0xA9));
    const Lines attempts = takeLog();
    ASSERT_FALSE(attempts.empty());
    EXPECT_LE(attempts.size(), static_cast<std::size_t>(kCreateControlAttempts));
    EXPECT_EQ(attempts, Lines(attempts.size(), "create refused"));
    std::printf("[ measured ] %zu creation attempts in %lld ms\n", attempts.size(),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

// Start-up focuses the movie before the installer window is shown: the panel's own visibility
// is what counts.
TEST_F(FlashPanelTest, FocusMovieActsWhileTheWindowIsStillHidden) {
    ::ShowWindow(host, SW_HIDE);
    auto panel = makePanel();
    EXPECT_FALSE(panel->focusMovie()) << "no control yet";
    ASSERT_EQ(panel->loadMovie(fwsMovie).status, 0);
    EXPECT_TRUE(panel->focusMovie());
    ::ShowWindow(panel->handle(), SW_HIDE);
    EXPECT_FALSE(panel->focusMovie()) << "a hidden panel";
}

// The control is recorded as soon as its instance exists: an activation that fails keeps it,
// with the remaining settings not applied and no second instance made; the movie is started
// in it.
TEST_F(FlashPanelTest, ActivationThatFailsKeepsTheControlWithoutItsSettings) {
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", "activate");
    auto panel = makePanel();
    EXPECT_EQ(panel->loadMovie(fwsMovie).status, 0);
    EXPECT_TRUE(panel->hasFlashControl());
    const Lines calls = takeLog();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(Lines(calls.begin(), calls.begin() + 5),
              (Lines{"create", "site", "ambient UserMode true", "verb -5", "activate refused"}));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "create"), 1);
    for (const char* setting :
         {"size 350 150", "advise events", "set ScaleMode 0", "set Menu false"})
        EXPECT_EQ(std::find(calls.begin(), calls.end(), setting), calls.end()) << setting;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "set Movie " + fwsMovie), calls.end());
}

TEST_F(FlashPanelTest, StopThatFailsKeepsTheControlForTheNextMovie) {
    auto panel = makePanel();
    ASSERT_EQ(panel->loadMovie(fwsMovie).status, 0);
    takeLog();
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FAIL", "stop");
    EXPECT_EQ(panel->loadMovie(cwsMovie).status, 0);
    EXPECT_EQ(takeLog(),
              (Lines{"call StopPlay", "verb -3", "set Movie " + cwsMovie, "call Play", "verb -1"}));
    EXPECT_TRUE(panel->hasFlashControl());
}

TEST_F(FlashPanelTest, MovieCommandsChangeNothing) {
    ::SetEnvironmentVariableA("VELUMAR_FLASH_FSCOMMAND", "1");
    auto panel = makePanel();
    ASSERT_EQ(panel->loadMovie(fwsMovie).status, 0);
    Lines expected = createAndStartCalls(fwsMovie);
    expected.insert(expected.end() - 1,
                    {"fscommand ALLOWSCALE false", "fscommand FULLSCREEN true"});
    EXPECT_EQ(takeLog(), expected);
    const HWND control = ::GetWindow(panel->handle(), GW_CHILD);
    ASSERT_TRUE(control);
    RECT bounds;
    ::GetClientRect(control, &bounds);
    EXPECT_EQ(bounds.right, 350);
    EXPECT_EQ(bounds.bottom, 150);
    EXPECT_TRUE(::IsWindowVisible(control));
}

// The control is detached while it takes the size the panel gives it: a request for another
// rectangle made then is not answered, so the control keeps the panel's size.
TEST_F(FlashPanelTest, SizeGivenAtCreationIsNotRenegotiated) {
    ::SetEnvironmentVariableA("VELUMAR_FLASH_POSRECT", "1");
    auto panel = makePanel();
    ASSERT_EQ(panel->loadMovie(fwsMovie).status, 0);
    Lines expected = createAndStartCalls(fwsMovie);
    expected.insert(expected.begin() + 5, "request rectangle");
    EXPECT_EQ(takeLog(), expected);
    const HWND control = ::GetWindow(panel->handle(), GW_CHILD);
    ASSERT_TRUE(control);
    RECT bounds;
    ::GetClientRect(control, &bounds);
    EXPECT_EQ(bounds.right, 350);
    EXPECT_EQ(bounds.bottom, 150);
}

TEST_F(FlashPanelTest, EachPanelHasItsOwnFolderDeletedWithIt) {
    auto first = makePanel();
    auto second = makePanel();
    ASSERT_EQ(first->loadMovie(cwsMovie).status, 0);
    ASSERT_EQ(second->loadMovie(cwsMovie).status, 0);
    const std::string firstFolder = first->tempFolder();
    EXPECT_EQ(firstFolder.rfind(temp + "FlashPanel", 0), 0u);
    EXPECT_EQ(firstFolder.size(), temp.size() + 10 + 8 + 1) << "the base and eight hex digits";
    EXPECT_NE(second->tempFolder(), firstFolder);
    EXPECT_TRUE(fileExists(firstFolder + "compressedSWFSegment.swf"));
    EXPECT_TRUE(fileExists(firstFolder + "unCompressedSWF.swf"));
    // A second compressed movie reuses the folder.
    const std::string other =
        movie("other.swf", testing::cws(testing::movieBody(testing::backgroundTag(9, 9, 9))));
    ASSERT_EQ(first->loadMovie(other).status, 0);
    EXPECT_EQ(first->tempFolder(), firstFolder);
    // Only what the panel made there goes with it.
    writeBytes(second->tempFolder() + "planted.dll", Bytes{1});
    const std::string secondFolder = second->tempFolder();
    first.reset();
    second.reset();
    EXPECT_FALSE(folderExists(firstFolder));
    EXPECT_TRUE(fileExists(secondFolder + "planted.dll"));
    EXPECT_FALSE(fileExists(secondFolder + "unCompressedSWF.swf"));
    // A panel that never expanded a movie has no folder to delete.
    auto plain = makePanel();
    ASSERT_EQ(plain->loadMovie(fwsMovie).status, 0);
    EXPECT_TRUE(plain->tempFolder().empty());
}

}  // namespace
}  // namespace velumar::flash
