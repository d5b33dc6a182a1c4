#include "paint/shell_fonts.h"
#include "render/gdi.h"
#include "studio/studio.h"
#include "support/dib.h"

#include <gtest/gtest.h>

using namespace corvanta;
using cvtest::Dib;

namespace {

constexpr COLORREF kBack = RGB(1, 2, 3);
constexpr COLORREF kSurface = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBorder = RGB(0xDC, 0xE8, 0xF7);
constexpr COLORREF kAccent2 = RGB(0x18, 0xC7, 0xD4);
constexpr COLORREF kLiveRed = RGB(0xEF, 0x3B, 0x5D);
constexpr COLORREF kMediaBg = RGB(0x05, 0x08, 0x14);
constexpr COLORREF kMediaPanel = RGB(0x07, 0x16, 0x26);
constexpr COLORREF kOuterOutline = RGB(0x00, 0x5F, 0x82);
constexpr COLORREF kColumnOutline = RGB(0x00, 0x50, 0x70);
constexpr COLORREF kProgramFill = RGB(0x01, 0x0C, 0x14);
constexpr COLORREF kProgramOutline = RGB(0x00, 0x64, 0x8C);
constexpr COLORREF kRowFill = RGB(0x03, 0x11, 0x1E);
constexpr COLORREF kRowOutline = RGB(0x00, 0x37, 0x4E);
constexpr COLORREF kSelectedFill = RGB(0x07, 0x2A, 0x3C);
constexpr COLORREF kMark = RGB(0x00, 0xD4, 0xFF);
constexpr COLORREF kTrack = RGB(0x00, 0x2D, 0x40);
constexpr COLORREF kOfflineFill = RGB(0x23, 0x0F, 0x1A);

constexpr int kLeft = 432;

class StudioTab : public ::testing::Test {
  protected:
    // The tab as the main window paints it: [432, 0, W, H] of a W x H client.
    static void paintTab(const Dib& dib) {
        drawTrevacastTab(dib.dc(), kLeft, dib.width(), dib.height());
    }
    static int colW(int clientWidth) {
        const int ws = clientWidth - kLeft - 36;
        return ws / 4 < 178 ? 178 : (ws / 4 > 236 ? 236 : ws / 4);
    }
    cvtest::ShellFonts fonts_;
};

TEST_F(StudioTab, PaintsOnlyItsOwnRectangle) {
    Dib dib(1180, 720);
    paintTab(dib);
    EXPECT_EQ(dib.count(kBack, 0, 0, kLeft, 720), kLeft * 720);
    EXPECT_EQ(dib.count(kBack, kLeft, 0, 1180, 720), 0);
    EXPECT_EQ(dib.at(kLeft, 5), kSurface);
    EXPECT_EQ(dib.at(1179, 719), kSurface);
    // Channel strip rule at y 150.
    EXPECT_EQ(dib.at(kLeft, 150), kBorder);
    EXPECT_EQ(dib.at(1179, 150), kBorder);
    EXPECT_EQ(dib.at(1179, 149), kSurface);
}

TEST_F(StudioTab, HeaderBannerAndPills) {
    const int r = 1180;
    Dib dib(r, 720);
    paintTab(dib);
    EXPECT_EQ(dib.at(kLeft + 20, 56), kMediaBg);
    EXPECT_EQ(dib.at(kLeft + 18, 56), kOuterOutline);
    EXPECT_EQ(dib.at(r - 19, 56), kOuterOutline);
    EXPECT_EQ(dib.at(kLeft + 57, 55), kLiveRed); // live mark (L+36, 34, 42)
    EXPECT_EQ(dib.at(kLeft + 36, 55), kAccent2);
    // "OFFLINE" [R-268, 36, R-160, 64] and "NATIVE TAB" [R-148, 36, R-36, 64].
    EXPECT_EQ(dib.at(r - 264, 50), kOfflineFill);
    EXPECT_EQ(dib.at(r - 214, 36), kLiveRed);
    EXPECT_EQ(dib.at(r - 268, 50), kLiveRed);
    EXPECT_EQ(dib.at(r - 144, 50), kSelectedFill);
    EXPECT_EQ(dib.at(r - 92, 36), kAccent2);
    EXPECT_EQ(dib.at(r - 37, 50), kAccent2);
    EXPECT_EQ(dib.at(r - 154, 50), kMediaBg);
}

TEST_F(StudioTab, ChatColumnNeedsAWorkspaceWiderThan929) {
    for (int w : {1397, 1398, 1600}) {
        SCOPED_TRACE(w);
        Dib dib(w, 720);
        paintTab(dib);
        const bool chat = w >= 1398;
        if (chat) {
            // Chat column [R-280, 232, R-34, H-104]; the program stops 12 pixels before it.
            EXPECT_EQ(dib.at(w - 40, 300), kMediaPanel);
            EXPECT_EQ(dib.at(w - 35, 400), kColumnOutline);
            EXPECT_EQ(dib.at(w - 280, 400), kColumnOutline);
            EXPECT_EQ(dib.at(w - 281, 400), kMediaBg);
            EXPECT_EQ(dib.at(w - 292, 400), kMediaBg);
            EXPECT_EQ(dib.at(w - 293, 400), kProgramOutline);
        } else {
            EXPECT_EQ(dib.at(w - 40, 300), kProgramFill);
            EXPECT_EQ(dib.at(w - 35, 400), kProgramOutline);
            EXPECT_EQ(dib.at(w - 34, 400), kMediaBg);
            EXPECT_EQ(dib.count(kColumnOutline, w - 300, 240, w - 20, 600), 0);
        }
    }
}

TEST_F(StudioTab, LeftColumnWidthFollowsTheWorkspace) {
    struct Case {
        int w, colW;
    };
    for (Case c : {Case{1000, 178}, Case{1183, 178}, Case{1184, 179}, Case{1300, 208},
                   Case{1411, 235}, Case{1412, 236}, Case{2000, 236}}) {
        SCOPED_TRACE(c.w);
        ASSERT_EQ(colW(c.w), c.colW);
        Dib dib(c.w, 720);
        paintTab(dib);
        const int lr = kLeft + 34 + c.colW;
        EXPECT_EQ(dib.at(kLeft + 34, 400), kColumnOutline);
        EXPECT_EQ(dib.at(kLeft + 33, 400), kMediaBg);
        EXPECT_EQ(dib.at(lr - 1, 240), kColumnOutline);
        EXPECT_EQ(dib.at(lr - 2, 240), kMediaPanel);
        EXPECT_EQ(dib.at(lr, 240), kMediaBg);
        EXPECT_EQ(dib.at(lr + 11, 240), kMediaBg);
        EXPECT_EQ(dib.at(lr + 12, 240), kProgramOutline);
        EXPECT_EQ(dib.at(lr + 13, 240), kProgramFill);
    }
}

TEST_F(StudioTab, ColumnsAndBottomBarAreAnchoredToTheBottom) {
    for (int h : {720, 900}) {
        SCOPED_TRACE(h);
        const int w = 1412, ib = h - 104;
        Dib dib(w, h);
        paintTab(dib);
        // Workspace [L+18, 166, R-18, B-18].
        EXPECT_EQ(dib.at(700, 166), kOuterOutline);
        EXPECT_EQ(dib.at(700, h - 19), kOuterOutline);
        EXPECT_EQ(dib.at(700, h - 18), kSurface);
        // Columns end at innerBottom.
        EXPECT_EQ(dib.at(kLeft + 100, ib - 1), kColumnOutline);
        EXPECT_EQ(dib.at(kLeft + 100, ib), kMediaBg);
        EXPECT_EQ(dib.at(900, ib - 1), kProgramOutline);
        // Bottom bar [L+34, B-92, R-34, B-34] and its go-live pill [R-304, B-72, R-194, B-44].
        EXPECT_EQ(dib.at(kLeft + 400, h - 92), kColumnOutline);
        EXPECT_EQ(dib.at(kLeft + 400, h - 35), kColumnOutline);
        EXPECT_EQ(dib.at(kLeft + 400, h - 60), kMediaPanel);
        EXPECT_EQ(dib.at(w - 300, h - 58), kLiveRed);
        EXPECT_EQ(dib.at(w - 198, h - 58), kLiveRed);
        EXPECT_EQ(dib.at(w - 190, h - 58), kMediaPanel);
    }
}

TEST_F(StudioTab, ScenesAndSources) {
    const int w = 1412, ll = kLeft + 34, lr = ll + 236;
    Dib dib(w, 720);
    paintTab(dib);
    for (int i = 0; i < 4; ++i) {
        const int top = 274 + 31 * i;
        const bool selected = i == 1;
        EXPECT_EQ(dib.at(lr - 16, top + 13), selected ? kSelectedFill : kRowFill) << i;
        EXPECT_EQ(dib.at(ll + 100, top), selected ? kMark : kRowOutline) << i;
        EXPECT_EQ(dib.at(ll + 100, top + 25), selected ? kMark : kRowOutline) << i;
        EXPECT_EQ(dib.at(ll + 100, top + 27), kMediaPanel) << i;
    }
    for (int j = 0; j < 4; ++j) {
        const int top = 442 + 27 * j;
        EXPECT_EQ(dib.at(ll + 25, 453 + 27 * j), j == 1 ? kLiveRed : kAccent2) << j;
        EXPECT_EQ(dib.at(ll + 21, 453 + 27 * j), kRowFill) << j; // the dot's outline
        EXPECT_EQ(dib.at(lr - 16, top + 11), kRowFill) << j;
        EXPECT_EQ(dib.at(ll + 100, top), kRowOutline) << j;
    }
}

TEST_F(StudioTab, AudioLevelsHaveFixedLengths) {
    for (int w : {1412, 1183}) {
        SCOPED_TRACE(w);
        const int h = 900, ib = h - 104;
        const int ll = kLeft + 34, lr = ll + colW(w);
        Dib dib(w, h);
        paintTab(dib);
        for (int k = 0; k < 3; ++k) {
            const int y = ib - 48 + 16 * k;
            const int end = ll + 122 + 26 * k; // lengths 42, 68, 94
            const COLORREF level = k == 2 ? kLiveRed : kAccent2;
            for (int row = y; row < y + 4; ++row) {
                EXPECT_EQ(dib.at(ll + 80, row), level) << k;
                EXPECT_EQ(dib.at(end - 1, row), level) << k;
            }
            EXPECT_EQ(dib.at(ll + 90, y - 1), kMediaPanel) << k;
            EXPECT_EQ(dib.at(ll + 90, y + 4), kMediaPanel) << k;
            if (end < lr - 14) {
                EXPECT_EQ(dib.at(end, y + 1), kTrack) << k;
                EXPECT_EQ(dib.at(lr - 15, y + 1), kTrack) << k;
                EXPECT_EQ(dib.at(lr - 14, y + 1), kMediaPanel) << k;
            } else {
                // A narrow column: the last level runs past its track, unclipped.
                EXPECT_EQ(dib.at(lr - 14, y + 1), level) << k;
                EXPECT_EQ(dib.at(end, y + 1), kMediaPanel) << k;
            }
        }
    }
}

TEST_F(StudioTab, ProgramCornerMarks) {
    for (int w : {1397, 1600}) {
        SCOPED_TRACE(w);
        const int h = 800, ib = h - 104;
        const int pl = kLeft + colW(w) + 46;
        const int pr = w >= 1398 ? w - 34 - 246 - 12 : w - 34;
        Dib dib(w, h);
        paintTab(dib);
        // Top-left: arms from (PL+22, 280) 52 pixels right and down.
        EXPECT_EQ(dib.at(pl + 48, 280), kMark);
        EXPECT_EQ(dib.at(pl + 72, 280), kMark);
        EXPECT_EQ(dib.at(pl + 22, 306), kMark);
        EXPECT_EQ(dib.at(pl + 22, 330), kMark);
        EXPECT_EQ(dib.at(pl + 48, 290), kProgramFill);
        EXPECT_EQ(dib.at(pl + 80, 280), kProgramFill);
        EXPECT_EQ(dib.at(pl + 22, 338), kProgramFill);
        // Bottom-right: arms from (PR-22, innerBottom-22) left and up.
        EXPECT_EQ(dib.at(pr - 48, ib - 22), kMark);
        EXPECT_EQ(dib.at(pr - 22, ib - 48), kMark);
        EXPECT_EQ(dib.at(pr - 22, ib - 72), kMark);
        EXPECT_EQ(dib.at(pr - 80, ib - 22), kProgramFill);
        EXPECT_EQ(dib.at(pr - 22, ib - 80), kProgramFill);
        EXPECT_EQ(dib.at(pr - 1, 400), kProgramOutline);
    }
}

TEST_F(StudioTab, LeavesTheDcAsItFoundItAndNoObjectBehind) {
    Dib dib(1600, 800);
    const cvtest::DcSnapshot before(dib.dc());
    const long live = gdiLiveObjects();
    paintTab(dib);
    EXPECT_TRUE(cvtest::DcSnapshot(dib.dc()) == before);
    EXPECT_EQ(gdiLiveObjects(), live);
}

} // namespace
