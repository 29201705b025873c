#include "desktop/flash_player.h"

#include <gtest/gtest.h>

namespace velumar::desktop {
namespace {

TEST(FlashPlayerVersionRule, OldestAcceptedPlayerIsSixBuildFortySeven) {
    EXPECT_TRUE(playerNeedsUpdate({0, 0}, true)) << "no control file";
    EXPECT_TRUE(playerNeedsUpdate({5, 30}, true));
    EXPECT_TRUE(playerNeedsUpdate({5, 99}, false));
    EXPECT_TRUE(playerNeedsUpdate({6, 46}, true));
    EXPECT_FALSE(playerNeedsUpdate({6, 46}, false)) << "the build counts only when strict";
    EXPECT_FALSE(playerNeedsUpdate({6, 47}, true));
    EXPECT_FALSE(playerNeedsUpdate({6, 79}, true));
    EXPECT_FALSE(playerNeedsUpdate({7, 0}, true)) << "the build counts only for major 6";
}

// A failed start is the system's code, and never 0 even when the system gave none.
TEST(FlashPlayerVersionRule, StartFailures) {
    EXPECT_EQ(installerStartFailure(193), 193);
    EXPECT_EQ(installerStartFailure(2), 2);
    EXPECT_EQ(installerStartFailure(0), kNoMemory);
    EXPECT_EQ(installerStartFailure(0x80000000u), kNoMemory);
}

}  // namespace
}  // namespace velumar::desktop
