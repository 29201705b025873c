#include "app/layout.h"

#include <gtest/gtest.h>

namespace velumar::app {
namespace {

TEST(FitWindowHeight, ClientHeightsWithAndWithoutLicence) {
    // A frame that adds 30 pixels of height: the client area comes out at 214 and 321.
    EXPECT_EQ(fittedWindowHeight(370, 340, designed::contentPanel, false, 105) - 30, 214);
    EXPECT_EQ(fittedWindowHeight(370, 340, designed::contentPanel, true, 103) - 30, 321);
}

TEST(FormResize, PanelsFollowTheClientArea) {
    const ResizedLayout layout = resizedLayout(353, 321, designed::contentPanel);
    EXPECT_EQ(layout.contentPanel, (Bounds{0, -1, 353, 152}));
    EXPECT_EQ(layout.buttonPanel, (Bounds{0, 258, 353, 63}));
    EXPECT_EQ(layout.licenseScrollBox.top, 153);
    EXPECT_EQ(layout.licenseScrollBox.height, 103);  // the memo's minimum holds

    const ResizedLayout taller = resizedLayout(500, 521, designed::contentPanel);
    EXPECT_EQ(taller.licenseScrollBox, (Bounds{0, 153, 500, 458 - 151 - 6}));
}

TEST(ButtonRow, ButtonsKeepTheirDistanceToTheRightEdge) {
    const ButtonRow row = buttonRow(350, 115);
    EXPECT_EQ(row.cancelBtn, (Bounds{268, 36, 80, 25}));
    EXPECT_EQ(row.installBtn, (Bounds{268 - 115 - 6, 36, 115, 25}));
    EXPECT_EQ(row.progressBar, (Bounds{1, 20, 347, 11}));
    const ButtonRow wide = buttonRow(450, 80);
    EXPECT_EQ(wide.cancelBtn.left, 368);
    EXPECT_EQ(wide.installBtn.left, 368 - 86);
    EXPECT_EQ(wide.progressBar.width, 447);
}

}  // namespace
}  // namespace velumar::app
