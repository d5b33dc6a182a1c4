// The windows on the screen they open on (its size and scale set by on_screen.sh): on a small
// screen no part of them is out of reach, on a large one nothing changes, and at any display
// scale the picture is the 96-DPI one enlarged: window sizes, controls, fonts and painting.
#include "render/palette.h"
#include "shell/app_state.h"
#include "shell/geometry.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "studio/studio.h"
#include "support/dib.h"
#include "support/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace corvanta;
using cvtest::MainWindow;

namespace {

struct Announced {
    SIZE screen{0, 0};
    int dpi = 0;
};

Announced announced() {
    Announced a;
    const char* value = std::getenv("CV_SCREEN");
    if (value == nullptr ||
        std::sscanf(value, "%ldx%ld@%d", &a.screen.cx, &a.screen.cy, &a.dpi) != 3) {
        return Announced{};
    }
    return a;
}

int dpi() {
    return announced().dpi;
}

// A 96-DPI length at the announced scale, as Windows' own MulDiv rounds it.
int px(int length) {
    return MulDiv(length, dpi(), 96);
}

RECT workArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT outer(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool inside(const RECT& inner, const RECT& around) {
    return inner.left >= around.left && inner.top >= around.top && inner.right <= around.right &&
           inner.bottom <= around.bottom;
}

// A window's outer size at this scale as the work area allows it: the enlarged size, or the
// area's where that is smaller.
SIZE allowed(SIZE at96) {
    const RECT area = workArea();
    return SIZE{std::min<LONG>(px(at96.cx), area.right - area.left),
                std::min<LONG>(px(at96.cy), area.bottom - area.top)};
}

void expectSize(const RECT& r, SIZE size) {
    EXPECT_EQ(r.right - r.left, size.cx);
    EXPECT_EQ(r.bottom - r.top, size.cy);
}

// The smallest a drag can make the window: asked for and enforced.
void expectDragStopsAt(HWND window, SIZE minimum) {
    MINMAXINFO info{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, minimum.cx);
    EXPECT_EQ(info.ptMinTrackSize.y, minimum.cy);
    SetWindowPos(window, nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    expectSize(outer(window), minimum);
}

// Every placed, visible control within a pixel of its 96-DPI rectangle enlarged.
void expectControlsScaled(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const int w = MulDiv(client.right, 96, dpi());
    const int h = MulDiv(client.bottom, 96, dpi());
    int checked = 0;
    for (const ControlLayout& step : computeLayout(w, h, g_app.showLogin, g_app.screen)) {
        if (!step.placed || !step.visible) {
            continue;
        }
        const RECT r = cvtest::childRect(controlForId(step.id));
        const RECT want{px(step.at.x), px(step.at.y), px(step.at.x + step.at.width),
                        px(step.at.y + step.at.height)};
        EXPECT_LE(std::abs(r.left - want.left), 1) << step.id;
        EXPECT_LE(std::abs(r.top - want.top), 1) << step.id;
        EXPECT_LE(std::abs(r.right - want.right), 1) << step.id;
        EXPECT_LE(std::abs(r.bottom - want.bottom), 1) << step.id;
        ++checked;
    }
    EXPECT_GT(checked, 4);
}

// True when the colour is at (x, y) or one pixel beside it: an enlarged edge may round either way.
bool nearby(const cvtest::Dib& dib, int x, int y, COLORREF color) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (dib.at(x + dx, y + dy) == color) {
                return true;
            }
        }
    }
    return false;
}

// The window's client area as it shows, freshly painted.
std::unique_ptr<cvtest::Dib> captured(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(window, &client);
    auto dib = std::make_unique<cvtest::Dib>(client.right, client.bottom);
    dib->capture(window);
    return dib;
}

} // namespace

TEST(Screens, TheHarnessGaveTheAnnouncedScreenAndScale) {
    const Announced a = announced();
    ASSERT_GT(a.dpi, 0) << "run through on_screen.sh";
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), a.screen.cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), a.screen.cy);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), a.dpi);
    ReleaseDC(nullptr, screen);
}

TEST(Screens, TheMainWindowOpensInsideTheWorkAreaAndKeepsItsBottomControlsInReach) {
    MainWindow w{cvtest::AsOpened{}};
    expectSize(outer(w.hwnd()), allowed({1320, 820}));
    EXPECT_TRUE(inside(outer(w.hwnd()), workArea()));

    w.signInForTest();
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    for (HWND control : {g_app.btnLogout, g_app.navSettings, g_app.output}) {
        if (cvtest::isShown(control)) {
            EXPECT_TRUE(inside(cvtest::childRect(control), client)) << GetDlgCtrlID(control);
        }
    }
    EXPECT_TRUE(cvtest::isShown(g_app.btnLogout));
    expectDragStopsAt(w.hwnd(), allowed({kMinWindowWidth, kMinWindowHeight}));
}

TEST(Screens, TheStudioWindowOpensInsideTheWorkArea) {
    MainWindow w{cvtest::AsOpened{}};
    w.signInForTest();
    w.command(ID_BTN_TREVACAST);
    ASSERT_NE(g_trevacastHwnd, nullptr);
    expectSize(outer(g_trevacastHwnd), allowed({1180, 740}));
    EXPECT_TRUE(inside(outer(g_trevacastHwnd), workArea()));
    expectDragStopsAt(g_trevacastHwnd, allowed({1020, 640}));
}

TEST(Screens, ControlsAndFontsAreTheirSizeAtNinetySixDpiEnlarged) {
    MainWindow w{cvtest::AsOpened{}};
    expectControlsScaled(w.hwnd()); // the login card
    w.signInForTest();
    expectControlsScaled(w.hwnd());
    w.command(ID_NAV_TREVACAST);
    expectControlsScaled(w.hwnd());

    const std::pair<HFONT, int> fonts[] = {{g_app.fontBody, -13},
                                           {g_app.fontTitle, -20},
                                           {g_app.fontSmall, -11},
                                           {g_app.fontHero, -24},
                                           {g_app.fontMono, -12}};
    for (const auto& [font, height] : fonts) {
        LOGFONTW lf{};
        ASSERT_EQ(GetObjectW(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
        EXPECT_EQ(lf.lfHeight, MulDiv(height, dpi(), 96)) << height;
    }
}

TEST(Screens, PaintedPanelsLieAtTheirPositionsEnlarged) {
    MainWindow w{cvtest::AsOpened{}};
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    const int logicalW = MulDiv(client.right, 96, dpi());
    const int logicalH = MulDiv(client.bottom, 96, dpi());
    {
        const Rect card = loginCardRect(logicalW, logicalH);
        const auto shot = captured(w.hwnd());
        const int middle = px((card.left + card.right) / 2);
        EXPECT_TRUE(nearby(*shot, middle, px(card.top), RGB(0x91, 0xC3, 0xFF))); // card outline
        EXPECT_EQ(shot->at(middle, px(card.top) + 4), RGB(0xF8, 0xFB, 0xFF));    // card fill
        EXPECT_EQ(shot->at(px(10), px(card.top) - 4), RGB(0x06, 0x14, 0x2C));    // top band
    }
    w.signInForTest();
    {
        const auto shot = captured(w.hwnd());
        EXPECT_EQ(shot->at(px(100), px(logicalH - 10)), appBg());               // rail
        EXPECT_EQ(shot->at(px(500), px(90)), RGB(0x0C, 0x1E, 0x3C));            // banner
        EXPECT_TRUE(nearby(*shot, px(kWorkspaceRailWidth), px(300), border())); // rail's edge line
        // The open workspace's rail button carries the accent bar on its left edge.
        const RECT active = cvtest::childRect(g_app.navSpeech);
        EXPECT_EQ(shot->at(active.left + 1, (active.top + active.bottom) / 2), accent());
        EXPECT_NE(shot->at(active.left + px(6), (active.top + active.bottom) / 2), accent());
    }
    w.command(ID_BTN_TREVACAST);
    ASSERT_NE(g_trevacastHwnd, nullptr);
    {
        const auto shot = captured(g_trevacastHwnd);
        EXPECT_EQ(shot->at(px(265), px(21)), RGB(0x05, 0x15, 0x25)); // top bar
        EXPECT_EQ(shot->at(px(265), px(46)), RGB(0x02, 0x0C, 0x16)); // window below it
    }
}
