#include "paint/shell_fonts.h"
#include "render/paint.h"
#include "shell/app_state.h"
#include "support/dib.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvanta;
using cvtest::Dib;

namespace {

constexpr COLORREF kBackdrop = RGB(0x04, 0x09, 0x14);
constexpr COLORREF kBand = RGB(0x06, 0x14, 0x2C);
constexpr COLORREF kCardFill = RGB(0xF8, 0xFB, 0xFF);
constexpr COLORREF kCardOutline = RGB(0x91, 0xC3, 0xFF);
constexpr COLORREF kHaloFill = RGB(0x0A, 0x2E, 0x5B);
constexpr COLORREF kHaloOutline = RGB(0x14, 0xA7, 0xFF);
constexpr COLORREF kCoreOutline = RGB(0x2A, 0xE6, 0xF1);

class LoginPaint : public ::testing::Test {
  protected:
    void SetUp() override {
        g_app.logoFrame = 0;
        g_app.loginBusy = false;
        message_ = g_app.loginMessage;
    }
    void TearDown() override {
        g_app.logoFrame = 0;
        g_app.loginBusy = false;
        g_app.loginMessage = message_;
        g_app.startScreen = Screen::Community;
    }
    static void paintInto(const Dib& dib) {
        paintLoginScreen(dib.dc(), RECT{0, 0, dib.width(), dib.height()});
    }
    // Checks the card's outline at its four edges, away from the logo and the texts.
    static void expectCard(const Dib& dib, int l, int t, int r, int b) {
        const int midY = (t + b) / 2;
        EXPECT_EQ(dib.at(l, midY), kCardOutline);
        EXPECT_EQ(dib.at(l - 1, midY), kBackdrop);
        EXPECT_EQ(dib.at(l + 3, midY), kCardFill);
        EXPECT_EQ(dib.at(r - 1, midY), kCardOutline);
        EXPECT_EQ(dib.at(r, midY), kBackdrop);
        EXPECT_EQ(dib.at(l + 20, t), kCardOutline);
        EXPECT_EQ(dib.at(l + 20, t - 1),
                  t - 1 < std::max(180, dib.height() / 3) ? kBand : kBackdrop);
        EXPECT_EQ(dib.at(l + 20, t + 3), kCardFill);
        if (b <= dib.height()) {
            EXPECT_EQ(dib.at(l + 20, b - 1), kCardOutline);
            EXPECT_EQ(dib.at(l + 20, b), kBackdrop);
        }
    }

    cvtest::ShellFonts fonts_;
    std::wstring message_;
};

TEST_F(LoginPaint, CardAndBandAtTheUsualClientSize) {
    Dib dib(1164, 681);
    paintInto(dib);
    // Card 540 wide at L 312, T 112; band 227 high.
    expectCard(dib, 312, 112, 852, 568);
    EXPECT_EQ(dib.at(5, 226), kBand);
    EXPECT_EQ(dib.at(1160, 226), kBand);
    EXPECT_EQ(dib.at(5, 227), kBackdrop);
    EXPECT_EQ(dib.at(1160, 680), kBackdrop);
    EXPECT_EQ(dib.at(312, 112), kBand); // rounded corner
    EXPECT_EQ(dib.count(RGB(1, 2, 3), 0, 0, 1164, 681), 0);
}

TEST_F(LoginPaint, CardWidthIsClampedOnNarrowClients) {
    struct Case {
        int w, left, width;
    };
    for (Case c : {Case{600, 60, 480}, Case{540, 60, 420}, Case{500, 40, 420}, Case{2000, 730, 540},
                   Case{660, 60, 540}}) {
        SCOPED_TRACE(c.w);
        Dib dib(c.w, 720);
        paintInto(dib);
        expectCard(dib, c.left, 132, c.left + c.width, 588);
    }
}

TEST_F(LoginPaint, LowClientsKeepTheCardTopAt38) {
    for (int h : {532, 500, 400}) {
        SCOPED_TRACE(h);
        Dib dib(1164, h);
        paintInto(dib);
        expectCard(dib, 312, 38, 852, 494);
        EXPECT_EQ(dib.at(5, 179), kBand);
        EXPECT_EQ(dib.at(5, 180), kBackdrop);
    }
    // Below 494 the card simply runs past the bottom edge.
    Dib dib(1164, 400);
    paintInto(dib);
    EXPECT_EQ(dib.at(330, 399), kCardFill);
    Dib tall(1164, 800);
    paintInto(tall);
    expectCard(tall, 312, 172, 852, 628);
}

struct Core {
    int left = -1, right = -1, top = -1, bottom = -1;
};

// The core's outline extent along its middle row and column (the monogram sits in the centre,
// in another colour).
Core measureCore(const Dib& dib, int cx, int cy) {
    Core c;
    for (int x = 0; x < dib.width(); ++x) {
        if (dib.at(x, cy) == kCoreOutline) {
            c.left = c.left < 0 ? x : c.left;
            c.right = x;
        }
    }
    for (int y = 0; y < dib.height(); ++y) {
        if (dib.at(cx, y) == kCoreOutline) {
            c.top = c.top < 0 ? y : c.top;
            c.bottom = y;
        }
    }
    return c;
}

TEST_F(LoginPaint, LogoPulsesInSizeAndColour) {
    struct Case {
        int frame, side, x, y;
        COLORREF fill;
    };
    // 1164 x 681: card L 312, T 112, 540 wide.
    for (Case c : {Case{0, 72, 546, 142, RGB(0x12, 0x77, 0xFF)},
                   Case{13, 85, 539, 136, RGB(0x12, 0x9E, 0xFF)},
                   Case{14, 86, 539, 135, RGB(0x12, 0xA1, 0xFF)},
                   Case{15, 85, 539, 136, RGB(0x12, 0x9E, 0xFF)},
                   Case{28, 72, 546, 142, RGB(0x12, 0x77, 0xFF)}}) {
        SCOPED_TRACE(c.frame);
        g_app.logoFrame = c.frame;
        Dib dib(1164, 681);
        paintInto(dib);
        const int cy = c.y + c.side / 2;
        const Core core = measureCore(dib, c.x + c.side / 2, cy);
        EXPECT_EQ(core.left, c.x);
        EXPECT_EQ(core.right, c.x + c.side - 1);
        EXPECT_EQ(core.top, c.y);
        EXPECT_EQ(core.bottom, c.y + c.side - 1);
        EXPECT_EQ(dib.at(c.x + 4, cy), c.fill);
        EXPECT_EQ(dib.at(c.x + c.side - 5, cy), c.fill);
        // The halo: 8 pixels wider on every side, drawn under the core.
        EXPECT_EQ(dib.at(c.x - 8, cy), kHaloOutline);
        EXPECT_EQ(dib.at(c.x - 4, cy), kHaloFill);
        EXPECT_EQ(dib.at(c.x + c.side + 7, cy), kHaloOutline);
        EXPECT_EQ(dib.at(c.x + c.side + 8, cy), kCardFill);
    }
}

TEST_F(LoginPaint, FramesThirteenAndFifteenGiveTheSamePicture) {
    g_app.logoFrame = 13;
    Dib a(1164, 681);
    paintInto(a);
    g_app.logoFrame = 15;
    Dib b(1164, 681);
    paintInto(b);
    int differences = 0;
    for (int y = 100; y < 260; ++y) {
        for (int x = 480; x < 680; ++x) {
            differences += a.at(x, y) != b.at(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST_F(LoginPaint, LongMessageStaysInsideTheCard) {
    g_app.loginMessage = std::wstring(400, L'W');
    for (bool busy : {false, true}) {
        g_app.loginBusy = busy;
        Dib dib(1164, 681);
        paintInto(dib);
        // The message row is [L+40, B-28, R-40, B-8]; the card edge and the backdrop stay clean.
        EXPECT_EQ(dib.count(kBackdrop, 0, 540, 312, 568), 312 * 28) << busy;
        EXPECT_EQ(dib.count(kBackdrop, 852, 540, 1164, 568), 312 * 28) << busy;
        EXPECT_EQ(dib.count(kCardFill, 313, 545, 352, 560), 39 * 15) << busy;
        EXPECT_EQ(dib.count(kCardFill, 812, 545, 851, 560), 39 * 15) << busy;
    }
}

TEST_F(LoginPaint, PainterPutsTheDcBack) {
    for (Screen start : {Screen::Community, Screen::Trevacast}) {
        g_app.startScreen = start;
        Dib dib(1164, 681);
        const cvtest::DcSnapshot before(dib.dc());
        paintInto(dib);
        EXPECT_TRUE(cvtest::DcSnapshot(dib.dc()) == before);
    }
}

} // namespace
