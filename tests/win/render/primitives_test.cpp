#include "render/gdi.h"
#include "render/palette.h"
#include "render/primitives.h"
#include "support/dib.h"

#include <gtest/gtest.h>

using namespace corvanta;
using cvtest::Dib;

namespace {
constexpr COLORREF kBack = RGB(1, 2, 3);
constexpr COLORREF kRed = RGB(250, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 250);
} // namespace

TEST(Primitives, FilledRectHasExclusiveRightAndBottomEdges) {
    Dib dib(40, 40);
    drawFilledRect(dib.dc(), RECT{5, 6, 15, 20}, kRed);
    EXPECT_EQ(dib.at(5, 6), kRed);
    EXPECT_EQ(dib.at(14, 19), kRed);
    EXPECT_EQ(dib.at(15, 19), kBack);
    EXPECT_EQ(dib.at(14, 20), kBack);
    EXPECT_EQ(dib.at(4, 6), kBack);
    EXPECT_EQ(dib.count(kRed, 0, 0, 40, 40), 10 * 14);
}

TEST(Primitives, EmptyOrInvertedRectanglesDrawNothing) {
    Dib dib(40, 40);
    const long live = gdiLiveObjects();
    drawFilledRect(dib.dc(), RECT{10, 10, 10, 20}, kRed);
    drawFilledRect(dib.dc(), RECT{20, 20, 10, 10}, kRed);
    drawFilledRect(dib.dc(), RECT{10, 20, 20, 20}, kRed);
    drawRoundPanel(dib.dc(), RECT{30, 30, 20, 20}, 8, kRed, kRed);
    drawLabel(dib.dc(), L"", RECT{0, 0, 40, 40}, kRed, nullptr, kLabelCenter);
    EXPECT_EQ(dib.count(kBack, 0, 0, 40, 40), 40 * 40 - dib.count(kRed, 0, 0, 40, 40));
    EXPECT_EQ(dib.count(kRed, 0, 0, 40, 40), 0);
    EXPECT_EQ(gdiLiveObjects(), live);
}

TEST(Primitives, DotCoversItsBoundingSquare) {
    Dib dib(80, 80);
    drawDot(dib.dc(), 18, 18, 36, kRed, kBlue);
    EXPECT_EQ(dib.at(36, 36), kRed);   // centre
    EXPECT_EQ(dib.at(18, 36), kBlue);  // left edge of the circle
    EXPECT_EQ(dib.at(36, 18), kBlue);  // top edge
    EXPECT_EQ(dib.at(17, 36), kBack);
    EXPECT_EQ(dib.at(54, 36), kBack);  // right edge is exclusive
    EXPECT_EQ(dib.at(36, 54), kBack);
    EXPECT_EQ(dib.at(19, 19), kBack);  // corner of the square stays outside the circle
    int minX = 80, maxX = -1, minY = 80, maxY = -1;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 80; ++x) {
            if (dib.at(x, y) != kBack) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
        }
    }
    EXPECT_EQ(minX, 18);
    EXPECT_EQ(maxX, 53);
    EXPECT_EQ(minY, 18);
    EXPECT_EQ(maxY, 53);
}

TEST(Primitives, RoundPanelOutlineFillAndCorner) {
    Dib dib(100, 100);
    drawRoundPanel(dib.dc(), RECT{10, 10, 90, 70}, 16, kRed, kBlue);
    EXPECT_EQ(dib.at(50, 10), kBlue);  // top outline
    EXPECT_EQ(dib.at(10, 40), kBlue);  // left outline
    EXPECT_EQ(dib.at(50, 69), kBlue);  // bottom outline, inside the exclusive edge
    EXPECT_EQ(dib.at(89, 40), kBlue);
    EXPECT_EQ(dib.at(50, 40), kRed);   // fill
    EXPECT_EQ(dib.at(10, 10), kBack);  // rounded corner
    EXPECT_EQ(dib.at(50, 70), kBack);
    EXPECT_EQ(dib.at(90, 40), kBack);
}

TEST(Primitives, LabelKeepsItsFontSelectedAndObjectsAreReleased) {
    Dib dib(200, 40);
    HFONT font = CreateFontW(-13, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI");
    HGDIOBJ originalBrush = GetCurrentObject(dib.dc(), OBJ_BRUSH);
    HGDIOBJ originalPen = GetCurrentObject(dib.dc(), OBJ_PEN);
    const long live = gdiLiveObjects();
    drawLabel(dib.dc(), L"Corvanta", RECT{0, 0, 200, 40}, kRed, font, kLabelLeft);
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_FONT), font);
    drawRoundPanel(dib.dc(), RECT{150, 0, 190, 30}, 8, kRed, kBlue);
    drawDot(dib.dc(), 100, 0, 20, kRed, kBlue);
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_BRUSH), originalBrush);
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_PEN), originalPen);
    EXPECT_EQ(GetBkMode(dib.dc()), TRANSPARENT);
    EXPECT_EQ(GetTextColor(dib.dc()), kRed);
    EXPECT_EQ(gdiLiveObjects(), live);
    SelectObject(dib.dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(Palette, ValuesAreTheShellColours) {
    EXPECT_EQ(appBg(), RGB(0xF6, 0xF9, 0xFF));
    EXPECT_EQ(surface(), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(surface2(), RGB(0xF8, 0xFB, 0xFF));
    EXPECT_EQ(surface3(), RGB(0xEE, 0xF5, 0xFF));
    EXPECT_EQ(border(), RGB(0xDC, 0xE8, 0xF7));
    EXPECT_EQ(fg(), RGB(0x0D, 0x17, 0x28));
    EXPECT_EQ(muted(), RGB(0x5F, 0x6F, 0x86));
    EXPECT_EQ(accent(), RGB(0x16, 0x77, 0xFF));
    EXPECT_EQ(accent2(), RGB(0x18, 0xC7, 0xD4));
    EXPECT_EQ(mediaBg(), RGB(0x05, 0x08, 0x14));
    EXPECT_EQ(mediaPanel(), RGB(0x07, 0x16, 0x26));
    EXPECT_EQ(liveRed(), RGB(0xEF, 0x3B, 0x5D));
    EXPECT_EQ(successGreen(), RGB(0x1E, 0xBD, 0x72));
}
