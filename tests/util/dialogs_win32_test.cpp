#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dialog_watch_win32.h"
#include "util/dialogs_win32.h"

namespace velumar {
namespace {

using testing::CloseBy;
using testing::SeenDialog;
using testing::watchDialog;

TEST(Dialogs, ErrorDialogHasOneAbortButton) {
    bool found = false;
    const SeenDialog seen =
        watchDialog([] { showErrorDialog("Zip Error: something failed."); }, found);
    ASSERT_TRUE(found);
    EXPECT_EQ(seen.title, "Error");
    ASSERT_EQ(seen.buttons.size(), 1u);
    EXPECT_EQ(seen.buttons.front(), "&Abort");
    ASSERT_EQ(seen.texts.size(), 1u);
    EXPECT_EQ(seen.texts.front(), "Zip Error: something failed.");
    EXPECT_TRUE(seen.hasIcon);
    EXPECT_EQ(seen.icon, ::LoadIconA(nullptr, IDI_ERROR));
    EXPECT_LE(std::abs(seen.centreOffsetX), 2);
    EXPECT_LE(std::abs(seen.centreOffsetY), 2);
}

TEST(Dialogs, InformationDialogHasOneAbortButton) {
    bool found = false;
    const SeenDialog seen =
        watchDialog([] { showInformationDialog("Line one\r\n\r\nLine two"); }, found);
    ASSERT_TRUE(found);
    EXPECT_EQ(seen.title, "Information");
    ASSERT_EQ(seen.buttons.size(), 1u);
    EXPECT_EQ(seen.buttons.front(), "&Abort");
    ASSERT_EQ(seen.texts.size(), 1u);
    EXPECT_EQ(seen.texts.front(), "Line one\r\n\r\nLine two");
    EXPECT_EQ(seen.icon, ::LoadIconA(nullptr, IDI_INFORMATION));
    EXPECT_LE(std::abs(seen.centreOffsetX), 2);
    EXPECT_LE(std::abs(seen.centreOffsetY), 2);
}

TEST(Dialogs, CloseBoxAlsoReturns) {
    bool found = false;
    watchDialog([] { showErrorDialog("closed by its close box"); }, found, CloseBy::CloseBox);
    EXPECT_TRUE(found);
}

TEST(Dialogs, LaterMessageBoxesKeepTheirOwnButtons) {
    bool found = false;
    watchDialog([] { showErrorDialog("first"); }, found);
    ASSERT_TRUE(found);
    const SeenDialog plain =
        watchDialog([] { ::MessageBoxA(nullptr, "plain", "Plain", MB_OK | MB_TASKMODAL); }, found);
    ASSERT_TRUE(found);
    ASSERT_EQ(plain.buttons.size(), 1u);
    EXPECT_EQ(plain.buttons.front(), "OK");
}

// The box is modal to the active window: disabled while the box shows, enabled after.
TEST(Dialogs, ModalToTheActiveWindow) {
    const HWND window = ::CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                          10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ::SetActiveWindow(window);
    bool found = false;
    const SeenDialog seen = watchDialog([] { showErrorDialog("owned"); }, found);
    ASSERT_TRUE(found);
    EXPECT_EQ(seen.owner, window);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(::IsWindowEnabled(window));
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace velumar
