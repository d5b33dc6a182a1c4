#include "paint/shell_fonts.h"
#include "render/gdi.h"
#include "studio/studio.h"
#include "support/dib.h"

#include <gtest/gtest.h>

using namespace corvanta;
using cvtest::Dib;

namespace {

constexpr COLORREF kBack = RGB(1, 2, 3);
constexpr COLORREF kWindowBg = RGB(0x02, 0x0C, 0x16);
constexpr COLORREF kBar = RGB(0x05, 0x15, 0x25);
constexpr COLORREF kColumnOutline = RGB(0x00, 0x50, 0x70);
constexpr COLORREF kProgramFill = RGB(0x01, 0x0C, 0x14);
constexpr COLORREF kProgramOutline = RGB(0x00, 0x64, 0x8C);
constexpr COLORREF kRowFill = RGB(0x03, 0x11, 0x1E);
constexpr COLORREF kRowOutline = RGB(0x00, 0x37, 0x4E);
constexpr COLORREF kSelectedFill = RGB(0x07, 0x2A, 0x3C);
constexpr COLORREF kMark = RGB(0x00, 0xD4, 0xFF);
constexpr COLORREF kTrack = RGB(0x00, 0x2D, 0x40);
constexpr COLORREF kAccent2 = RGB(0x18, 0xC7, 0xD4);
constexpr COLORREF kLiveRed = RGB(0xEF, 0x3B, 0x5D);

class StudioWindowPaint : public ::testing::Test {
  protected:
    static void paintInto(const Dib& dib) {
        paintTrevacastStudioClient(dib.dc(), dib.width(), dib.height());
    }
    cvtest::ShellFonts fonts_;
};

TEST_F(StudioWindowPaint, FourPanelsAtAThousandPixels) {
    const int w = 1000, h = 700;
    Dib dib(w, h);
    paintInto(dib);
    EXPECT_EQ(dib.count(kBack, 0, 0, w, h), 0);
    const int y = 300;
    // Left column [12, 54, 252, H-162].
    EXPECT_EQ(dib.at(11, y), kWindowBg);
    EXPECT_EQ(dib.at(12, y), kColumnOutline);
    EXPECT_EQ(dib.at(13, y), kBar);
    EXPECT_EQ(dib.at(251, y), kColumnOutline);
    EXPECT_EQ(dib.at(252, y), kWindowBg);
    // Program [264, 54, 702, H-162].
    EXPECT_EQ(dib.at(263, y), kWindowBg);
    EXPECT_EQ(dib.at(264, y), kProgramOutline);
    EXPECT_EQ(dib.at(400, y), kProgramFill);
    EXPECT_EQ(dib.at(701, y), kProgramOutline);
    EXPECT_EQ(dib.at(702, y), kWindowBg);
    // Chat column [714, 54, 988, H-162].
    EXPECT_EQ(dib.at(713, y), kWindowBg);
    EXPECT_EQ(dib.at(714, y), kColumnOutline);
    EXPECT_EQ(dib.at(987, y), kColumnOutline);
    EXPECT_EQ(dib.at(988, y), kWindowBg);
    // Tops and bottoms of the three columns.
    for (int x : {100, 400, 800}) {
        EXPECT_EQ(dib.at(x, 53), kWindowBg) << x;
        EXPECT_NE(dib.at(x, 54), kWindowBg) << x;
        EXPECT_NE(dib.at(x, 537), kWindowBg) << x;
        EXPECT_EQ(dib.at(x, 538), kWindowBg) << x;
    }
    // Bottom bar [12, H-150, W-12, H-12].
    EXPECT_EQ(dib.at(500, 549), kWindowBg);
    EXPECT_EQ(dib.at(500, 550), kColumnOutline);
    EXPECT_EQ(dib.at(500, 687), kColumnOutline);
    EXPECT_EQ(dib.at(500, 688), kWindowBg);
    EXPECT_EQ(dib.at(987, 600), kColumnOutline);
    EXPECT_EQ(dib.at(988, 600), kWindowBg);
}

TEST_F(StudioWindowPaint, TopBarSubtitleEndsBeforeTheGoLivePill) {
    const int w = 1000, h = 700;
    Dib dib(w, h);
    paintInto(dib);
    EXPECT_EQ(dib.at(5, 5), kBar);
    EXPECT_EQ(dib.at(5, 41), kBar);
    EXPECT_EQ(dib.at(5, 42), kWindowBg);
    // The sub-title's box ends at W-330 = 670; from there to the pill the bar is untouched.
    EXPECT_EQ(dib.count(kBar, 670, 0, 864, 42), (864 - 670) * 42);
    // Go-live pill [W-136, 8, W-18, 34].
    EXPECT_EQ(dib.at(w - 132, 21), kLiveRed);
    EXPECT_EQ(dib.at(w - 77, 8), kLiveRed);
    EXPECT_EQ(dib.at(w - 22, 21), kLiveRed);
    EXPECT_EQ(dib.at(w - 17, 21), kBar);
}

TEST_F(StudioWindowPaint, ScenesSourcesAndMarks) {
    const int w = 1164, h = 701;
    Dib dib(w, h);
    paintInto(dib);
    for (int i = 0; i < 4; ++i) {
        const int top = 96 + 32 * i;
        const bool selected = i == 1;
        EXPECT_EQ(dib.at(236, top + 13), selected ? kSelectedFill : kRowFill) << i;
        EXPECT_EQ(dib.at(100, top), selected ? kMark : kRowOutline) << i;
    }
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(dib.at(38, 286 + 28 * j), j == 1 ? kLiveRed : kAccent2) << j;
        EXPECT_EQ(dib.at(236, 286 + 28 * j), kRowFill) << j;
        EXPECT_EQ(dib.at(100, 274 + 28 * j), kRowOutline) << j;
    }
    // Corner marks at (286, 102) and (W-320, H-184), arms of 52 pixels.
    EXPECT_EQ(dib.at(312, 102), kMark);
    EXPECT_EQ(dib.at(286, 128), kMark);
    EXPECT_EQ(dib.at(345, 102), kProgramFill);
    EXPECT_EQ(dib.at(w - 346, h - 184), kMark);
    EXPECT_EQ(dib.at(w - 320, h - 210), kMark);
    EXPECT_EQ(dib.at(w - 380, h - 184), kProgramFill);
}

TEST_F(StudioWindowPaint, MixerLevelsAndMutePills) {
    const int w = 1164, h = 701;
    Dib dib(w, h);
    paintInto(dib);
    for (int k = 0; k < 4; ++k) {
        const int x = 30 + 166 * k;
        const int end = x + 58 + 18 * k; // 58, 76, 94, 112
        const COLORREF level = k == 3 ? kLiveRed : kAccent2;
        for (int row = h - 74; row < h - 68; ++row) {
            EXPECT_EQ(dib.at(x, row), level) << k;
            EXPECT_EQ(dib.at(end - 1, row), level) << k;
            EXPECT_EQ(dib.at(end, row), kTrack) << k;
            EXPECT_EQ(dib.at(x + 127, row), kTrack) << k;
            EXPECT_EQ(dib.at(x + 128, row), kBar) << k;
        }
        EXPECT_EQ(dib.at(x + 60, h - 75), kBar) << k;
        EXPECT_EQ(dib.at(x + 60, h - 68), kBar) << k;
        // Mute pill [x, H-54, x+54, H-28].
        EXPECT_EQ(dib.at(x + 3, h - 41), kRowFill) << k;
        EXPECT_EQ(dib.at(x, h - 41), kColumnOutline) << k;
        EXPECT_EQ(dib.at(x + 27, h - 54), kColumnOutline) << k;
        EXPECT_EQ(dib.at(x + 27, h - 29), kColumnOutline) << k;
    }
}

TEST_F(StudioWindowPaint, LeavesTheDcAsItFoundItAndNoObjectBehind) {
    Dib dib(1164, 701);
    const cvtest::DcSnapshot before(dib.dc());
    const long live = gdiLiveObjects();
    paintInto(dib);
    EXPECT_TRUE(cvtest::DcSnapshot(dib.dc()) == before);
    EXPECT_EQ(gdiLiveObjects(), live);
}

} // namespace
