// The windows' font as the test prefix gives it: the 8-point "MS Sans Serif" the installer's
// windows are laid out in must be Windows' own bitmap font, with its cell height of 13 pixels,
// whatever fonts the host has (fontconfig's sans-serif, Liberation Sans where fonts-liberation
// is installed, has a cell height of 12: the layout and the end-to-end tests measure text in
// this font). ctest runs this program a second time with the Liberation fonts in fontconfig's
// view (tests/app/CMakeLists.txt).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/window_font_win32.h"

namespace velumar::app {
namespace {

TEST(WindowFont, IsWindowsMsSansSerifWithItsCellHeight) {
    const HFONT font = createWindowFont();
    ASSERT_TRUE(font);
    const HDC screen = ::GetDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(screen, font);
    char face[LF_FACESIZE] = {};
    ::GetTextFaceA(screen, sizeof face, face);
    TEXTMETRICA metrics = {};
    const BOOL measured = ::GetTextMetricsA(screen, &metrics);
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(font);
    ASSERT_TRUE(measured);

    const bool trueType = (metrics.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
    std::printf("the 8-point dialog font: \"%s\" (%s), cell height %ld, average width %ld\n", face,
                trueType ? "TrueType" : "bitmap", static_cast<long>(metrics.tmHeight),
                static_cast<long>(metrics.tmAveCharWidth));
    RecordProperty("face", face);
    RecordProperty("cellHeight", static_cast<int>(metrics.tmHeight));
    EXPECT_STREQ(face, "MS Sans Serif");
    EXPECT_EQ(metrics.tmHeight, 13) << "Windows' 8-point MS Sans Serif is 13 pixels high";
    EXPECT_FALSE(trueType) << "Windows' MS Sans Serif is the bitmap font sserife.fon";
}

}  // namespace
}  // namespace velumar::app
