// The windows on the screen they open on (its size set by on_screen.sh): on a small screen no
// part of them is out of reach, on a large one nothing changes.
#include "shell/app_state.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "studio/studio.h"
#include "support/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace corvanta;
using cvtest::MainWindow;

namespace {

SIZE announcedScreen() {
    SIZE s{0, 0};
    const char* value = std::getenv("CV_SCREEN");
    if (value == nullptr || std::sscanf(value, "%ldx%ld", &s.cx, &s.cy) != 2) {
        return SIZE{0, 0};
    }
    return s;
}

RECT workArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

SIZE sizeOf(const RECT& r) {
    return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT outer(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool inside(const RECT& inner, const RECT& outerRect) {
    return inner.left >= outerRect.left && inner.top >= outerRect.top &&
           inner.right <= outerRect.right && inner.bottom <= outerRect.bottom;
}

// A window's size as the work area allows it: the wanted one, or the area's where smaller.
SIZE allowed(SIZE wanted) {
    const SIZE area = sizeOf(workArea());
    return SIZE{std::min(wanted.cx, area.cx), std::min(wanted.cy, area.cy)};
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

} // namespace

TEST(Screens, TheHarnessGaveTheAnnouncedScreen) {
    const SIZE screen = announcedScreen();
    ASSERT_GT(screen.cx, 0) << "run through on_screen.sh";
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen.cy);
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
