#include "paint/shell_fonts.h"
#include "render/gdi.h"
#include "render/paint.h"
#include "shell/app_state.h"
#include "support/dib.h"

#include <gtest/gtest.h>

#include <vector>

using namespace corvanta;
using cvtest::Dib;

namespace {

constexpr COLORREF kBack = RGB(1, 2, 3);
// The palette, written out independently of the code under test.
constexpr COLORREF kAppBg = RGB(0xF6, 0xF9, 0xFF);
constexpr COLORREF kSurface = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kSurface2 = RGB(0xF8, 0xFB, 0xFF);
constexpr COLORREF kSurface3 = RGB(0xEE, 0xF5, 0xFF);
constexpr COLORREF kBorder = RGB(0xDC, 0xE8, 0xF7);
constexpr COLORREF kAccent = RGB(0x16, 0x77, 0xFF);
constexpr COLORREF kAccent2 = RGB(0x18, 0xC7, 0xD4);
constexpr COLORREF kMediaBg = RGB(0x05, 0x08, 0x14);
constexpr COLORREF kSuccess = RGB(0x1E, 0xBD, 0x72);
constexpr COLORREF kLiveRed = RGB(0xEF, 0x3B, 0x5D);
constexpr COLORREF kSelectedRowOutline = RGB(0xC4, 0xDA, 0xF7);
constexpr COLORREF kBannerFill = RGB(0x0C, 0x1E, 0x3C);
constexpr COLORREF kBannerOutline = RGB(0x24, 0x74, 0xDC);
constexpr COLORREF kAssistant = RGB(0x6C, 0x63, 0xFF);
constexpr COLORREF kLoginBackdrop = RGB(0x04, 0x09, 0x14);
constexpr COLORREF kLoginBand = RGB(0x06, 0x14, 0x2C);

constexpr Screen kAllScreens[] = {
    Screen::Orbital, Screen::Community, Screen::Live,   Screen::Trevacast, Screen::DirectMessages,
    Screen::Studio,  Screen::Profile,   Screen::Wallet, Screen::Assets,    Screen::Settings};

class MainWindowPaint : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = g_app.screen;
        g_app.showLogin = false;
        g_app.screen = Screen::Community;
    }
    void TearDown() override {
        g_app.showLogin = true;
        g_app.screen = saved_;
    }
    static void paintInto(const Dib& dib) {
        paintClient(dib.dc(), RECT{0, 0, dib.width(), dib.height()});
    }
    // Pixels that differ between two pictures inside [0, right) x [0, bottom).
    static int differences(const Dib& a, const Dib& b, int right, int bottom) {
        int n = 0;
        for (int y = 0; y < bottom; y += 1) {
            for (int x = 0; x < right; x += 1) {
                n += a.at(x, y) != b.at(x, y) ? 1 : 0;
            }
        }
        return n;
    }

    cvtest::ShellFonts fonts_;
    Screen saved_ = Screen::Community;
};

TEST_F(MainWindowPaint, WideClientHasFourRegionsAndThreeSeparators) {
    Dib dib(1180, 720);
    paintInto(dib);
    // Backgrounds, at spots that only the region fills reach.
    EXPECT_EQ(dib.at(5, 300), kAppBg);
    EXPECT_EQ(dib.at(217, 300), kAppBg);
    EXPECT_EQ(dib.at(222, 700), kSurface2);
    EXPECT_EQ(dib.at(431, 700), kSurface2);
    EXPECT_EQ(dib.at(440, 104), kSurface);
    EXPECT_EQ(dib.at(863, 104), kSurface);
    EXPECT_EQ(dib.at(865, 250), kSurface2);
    EXPECT_EQ(dib.at(1179, 719), kSurface2);
    // Separators run the full height.
    for (int x : {218, 432, 864}) {
        EXPECT_EQ(dib.at(x, 0), kBorder) << x;
        EXPECT_EQ(dib.at(x, 104), kBorder) << x;
        EXPECT_EQ(dib.at(x, 719), kBorder) << x;
    }
    EXPECT_EQ(dib.count(kBack, 0, 0, 1180, 720), 0);
}

TEST_F(MainWindowPaint, NarrowClientHasNoRightPanel) {
    Dib dib(1179, 720);
    paintInto(dib);
    EXPECT_EQ(dib.at(218, 104), kBorder);
    EXPECT_EQ(dib.at(432, 104), kBorder);
    // No third separator: the content column runs to the right edge.
    EXPECT_EQ(dib.at(863, 104), kSurface);
    EXPECT_EQ(dib.at(864, 104), kSurface);
    EXPECT_EQ(dib.at(1178, 104), kSurface);
    EXPECT_EQ(dib.at(1178, 719), kSurface);
    // The banner and the chat panel stretch to CR - 18 = 1161.
    EXPECT_EQ(dib.at(1160, 56), kBannerOutline);
    EXPECT_EQ(dib.at(1161, 56), kSurface);
    EXPECT_EQ(dib.at(1160, 400), kBorder);
    // Nothing of the member list.
    EXPECT_EQ(dib.count(kAssistant, 864, 0, 1179, 300), 0);
}

TEST_F(MainWindowPaint, WelcomeBannerAndChatFollowContentRight) {
    for (int w : {1180, 1500}) {
        const int cr = w >= 1180 ? w - 316 : w;
        Dib dib(w, 720);
        paintInto(dib);
        // Banner [450, 16, CR-18, 96], corner radius 8.
        EXPECT_EQ(dib.at(458, 56), kBannerFill) << w;
        EXPECT_EQ(dib.at(600, 16), kBannerOutline) << w;
        EXPECT_EQ(dib.at(600, 95), kBannerOutline) << w;
        EXPECT_EQ(dib.at(450, 56), kBannerOutline) << w;
        EXPECT_EQ(dib.at(cr - 19, 56), kBannerOutline) << w;
        EXPECT_EQ(dib.at(cr - 18, 56), kSurface) << w;
        EXPECT_EQ(dib.at(450, 16), kSurface) << w; // rounded corner
        EXPECT_EQ(dib.at(600, 15), kSurface) << w;
        // Banner mark (468, 34, 42).
        EXPECT_EQ(dib.at(489, 55), kAccent) << w;
        EXPECT_EQ(dib.at(468, 55), kAccent2) << w;
        // Header rule at y 150 across the content column.
        EXPECT_EQ(dib.at(433, 150), kBorder) << w;
        EXPECT_EQ(dib.at(cr - 1, 150), kBorder) << w;
        EXPECT_EQ(dib.at(cr - 1, 149), kSurface) << w;
        // Chat panel [450, 166, CR-18, H-18] and the three author dots.
        EXPECT_EQ(dib.at(600, 166), kBorder) << w;
        EXPECT_EQ(dib.at(600, 701), kBorder) << w;
        EXPECT_EQ(dib.at(600, 702), kSurface) << w;
        EXPECT_EQ(dib.at(483, 231), kAccent) << w;
        EXPECT_EQ(dib.at(483, 287), kAccent2) << w;
        EXPECT_EQ(dib.at(483, 343), kAssistant) << w;
        EXPECT_EQ(dib.at(468, 231), kSurface) << w; // dot outline
        // Composer [466, H-70, CR-34, H-34], left of the send arrow's box.
        EXPECT_EQ(dib.at(cr - 40, 668), kSurface3) << w;
        EXPECT_EQ(dib.at(700, 650), kBorder) << w;
        EXPECT_EQ(dib.at(700, 685), kBorder) << w;
    }
}

TEST_F(MainWindowPaint, BottomAnchoredPartsMoveWithHeight) {
    for (int h : {720, 900}) {
        Dib dib(1180, h);
        paintInto(dib);
        // Account card [16, H-168, 202, H-24] with avatar and presence dot.
        EXPECT_EQ(dib.at(100, h - 168), kBorder) << h;
        EXPECT_EQ(dib.at(100, h - 25), kBorder) << h;
        EXPECT_EQ(dib.at(195, h - 120), kSurface) << h;
        EXPECT_EQ(dib.at(40, h - 118), kAccent) << h;
        EXPECT_EQ(dib.at(55, h - 101), kSuccess) << h;
        // Chat panel bottom and composer.
        EXPECT_EQ(dib.at(600, h - 19), kBorder) << h;
        EXPECT_EQ(dib.at(600, h - 70), kBorder) << h;
        // The fixed parts stay put.
        EXPECT_EQ(dib.at(36, 36), kAccent) << h;
        EXPECT_EQ(dib.at(18, 36), kAccent2) << h;
        EXPECT_EQ(dib.at(263, 171), kAccent2) << h; // status orb
        EXPECT_EQ(dib.at(247, 69), kLiveRed) << h;  // studio off indicator
    }
}

TEST_F(MainWindowPaint, FirstChannelRowIsSelectedOnEveryScreen) {
    for (Screen screen : kAllScreens) {
        g_app.screen = screen;
        Dib dib(1180, 720);
        paintInto(dib);
        const int s = static_cast<int>(screen);
        EXPECT_EQ(dib.at(415, 259), kSurface3) << s;
        EXPECT_EQ(dib.at(325, 246), kSelectedRowOutline) << s;
        EXPECT_EQ(dib.at(325, 271), kSelectedRowOutline) << s;
        for (int i = 1; i < 5; ++i) {
            EXPECT_EQ(dib.at(415, 259 + 30 * i), kSurface2) << s << " row " << i;
            EXPECT_EQ(dib.at(325, 246 + 30 * i), kSurface2) << s << " row " << i;
        }
    }
}

TEST_F(MainWindowPaint, RailAndSidebarLookTheSameOnEveryScreen) {
    Dib reference(1400, 720);
    paintInto(reference);
    for (Screen screen : kAllScreens) {
        g_app.screen = screen;
        Dib dib(1400, 720);
        paintInto(dib);
        // Up to the second separator, which the studio tab paints over.
        EXPECT_EQ(differences(reference, dib, 432, 720), 0) << static_cast<int>(screen);
    }
}

TEST_F(MainWindowPaint, RightPanelMembersAndWalletCard) {
    for (int w : {1180, 1400}) {
        const int cr = w - 316;
        Dib dib(w, 720);
        paintInto(dib);
        for (int m = 0; m < 4; ++m) {
            const int y = 82 + 48 * m;
            EXPECT_EQ(dib.at(cr + 35, y + 15), m == 3 ? kAssistant : kAccent) << w << " " << m;
            EXPECT_EQ(dib.at(cr + 19, y + 15), kSurface2) << w << " " << m;
        }
        // Wallet card [CR+16, 292, W-16, 382].
        EXPECT_EQ(dib.at(cr + 100, 292), kBorder) << w;
        EXPECT_EQ(dib.at(cr + 100, 381), kBorder) << w;
        EXPECT_EQ(dib.at(cr + 100, 382), kSurface2) << w;
        EXPECT_EQ(dib.at(cr + 16, 340), kBorder) << w;
        EXPECT_EQ(dib.at(w - 17, 340), kBorder) << w;
        EXPECT_EQ(dib.at(w - 16, 340), kSurface2) << w;
        EXPECT_EQ(dib.at(w - 24, 340), kSurface) << w;
    }
}

TEST_F(MainWindowPaint, StudioScreenReplacesContentAndRightPanel) {
    g_app.screen = Screen::Trevacast;
    const int w = 1180, cr = w - 316;
    Dib dib(w, 720);
    paintInto(dib);
    // The tab's dark header banner instead of the welcome banner.
    EXPECT_EQ(dib.at(458, 56), kMediaBg);
    EXPECT_EQ(dib.at(489, 55), kLiveRed);
    // No member dots, no wallet card, no right-panel background over the tab.
    for (int m = 0; m < 4; ++m) {
        const int y = 82 + 48 * m;
        EXPECT_NE(dib.at(cr + 35, y + 15), kAccent) << m;
        EXPECT_NE(dib.at(cr + 35, y + 15), kAssistant) << m;
    }
    EXPECT_EQ(dib.count(kAssistant, cr, 0, w, 720), 0);
    EXPECT_EQ(dib.at(w - 24, 340), kMediaBg);
    EXPECT_NE(dib.at(cr + 100, 292), kBorder);
    EXPECT_EQ(dib.at(w - 10, 104), kSurface);
    // The tab covers the right panel's separator as well.
    EXPECT_EQ(dib.at(cr, 104), kSurface);
    EXPECT_EQ(dib.at(218, 104), kBorder);
}

TEST_F(MainWindowPaint, LoginFlagShowsOnlyTheLoginScreen) {
    for (Screen screen : {Screen::Community, Screen::Trevacast, Screen::Wallet}) {
        g_app.screen = screen;
        g_app.showLogin = true;
        Dib dib(1180, 720);
        paintInto(dib);
        const int s = static_cast<int>(screen);
        // The rail's logo mark, the separators and the sidebar are absent.
        EXPECT_EQ(dib.at(36, 36), kLoginBand) << s;
        EXPECT_EQ(dib.at(5, 700), kLoginBackdrop) << s;
        EXPECT_EQ(dib.at(218, 600), kLoginBackdrop) << s;
        EXPECT_EQ(dib.at(432, 600), kLoginBackdrop) << s;
        EXPECT_EQ(dib.at(100, 600), kLoginBackdrop) << s; // where the account card would be
        // Left of the card (which starts at x 320) only the backdrop and the band remain.
        EXPECT_EQ(dib.count(kLoginBackdrop, 0, 240, 300, 720), 300 * 480) << s;
        EXPECT_EQ(dib.count(kLoginBand, 0, 0, 300, 240), 300 * 240) << s;
    }
}

TEST_F(MainWindowPaint, PainterPutsTheDcBack) {
    for (bool login : {false, true}) {
        for (Screen screen : {Screen::Community, Screen::Trevacast}) {
            g_app.showLogin = login;
            g_app.screen = screen;
            Dib dib(1180, 720);
            const cvtest::DcSnapshot before(dib.dc());
            paintInto(dib);
            EXPECT_TRUE(cvtest::DcSnapshot(dib.dc()) == before)
                << login << " " << static_cast<int>(screen);
        }
    }
}

// A real top-level window whose WM_PAINT is the shell's painter.
LRESULT CALLBACK paintingWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        paint(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND createPaintingWindow(int clientWidth, int clientHeight) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = paintingWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CvTestPaintingWindow";
        return RegisterClassW(&wc);
    }();
    if (atom == 0) {
        return nullptr;
    }
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, WS_POPUP, FALSE, 0);
    return CreateWindowExW(0, L"CvTestPaintingWindow", L"paint", WS_POPUP, 0, 0,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

TEST_F(MainWindowPaint, WindowPaintValidatesTheClientOnEveryPath) {
    HWND hwnd = createPaintingWindow(1180, 720);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    struct Case {
        bool login;
        Screen screen;
    };
    for (Case c : {Case{false, Screen::Community}, Case{false, Screen::Trevacast},
                   Case{true, Screen::Community}}) {
        g_app.showLogin = c.login;
        g_app.screen = c.screen;
        const long live = gdiLiveObjects();
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
        RECT update{};
        EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << c.login;
        EXPECT_EQ(gdiLiveObjects(), live);

        // Read the picture back from the window itself.
        Dib shot(1180, 720);
        HDC windowDc = GetDC(hwnd);
        BitBlt(shot.dc(), 0, 0, 1180, 720, windowDc, 0, 0, SRCCOPY);
        ReleaseDC(hwnd, windowDc);
        if (c.login) {
            EXPECT_EQ(shot.at(5, 700), kLoginBackdrop);
        } else {
            EXPECT_EQ(shot.at(5, 300), kAppBg);
            EXPECT_EQ(shot.at(218, 300), kBorder);
            EXPECT_EQ(shot.at(458, 56), c.screen == Screen::Trevacast ? kMediaBg : kBannerFill);
        }
    }
    DestroyWindow(hwnd);
    pumpMessages();
}

} // namespace
