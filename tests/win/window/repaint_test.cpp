// How the main window repaints: a logo tick touches only the logo's square and leaves the same
// picture a full repaint draws, and the window's own painting never covers its controls.
#include "render/button_style.h"
#include "shell/app_state.h"
#include "shell/geometry.h"
#include "shell/ids.h"
#include "support/dib.h"
#include "support/main_window.h"

#include <gtest/gtest.h>

#include <psapi.h>

using namespace corvanta;
using cvtest::Dib;
using cvtest::MainWindow;

namespace {

constexpr int kWidth = 1304, kHeight = 781;

void repaintEverything(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The caret blinks on a clock of its own: its box, with a margin, is left out of comparisons.
RECT caretBox(HWND main) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || info.hwndCaret == nullptr) {
        return RECT{};
    }
    RECT box = info.rcCaret;
    MapWindowPoints(info.hwndCaret, main, reinterpret_cast<POINT*>(&box), 2);
    InflateRect(&box, 2, 2);
    return box;
}

COLORREF loginButtonFill() {
    return buttonStyle(ID_BTN_LOGIN, g_app.screen, g_app.startScreen, false).fill;
}

POINT insideLoginButton() {
    const RECT r = cvtest::childRect(g_app.btnLogin);
    return POINT{r.left + 6, (r.top + r.bottom) / 2};
}

} // namespace

TEST(MainWindowRepaint, LogoTicksRepaintOnlyTheLogoAndMatchAFullRepaint) {
    MainWindow w(kWidth, kHeight);
    KillTimer(w.hwnd(), ID_TIMER_LOGO); // ticks are sent by hand below
    const Rect logo = logoBounds(loginCardRect(kWidth, kHeight));
    const RECT logoArea{logo.left, logo.top, logo.right, logo.bottom};
    repaintEverything(w.hwnd());

    Dib afterTick(kWidth, kHeight), full(kWidth, kHeight);
    // A whole pulse: the logo grows, then shrinks back inside what it covered before.
    for (int tick = 0; tick < 28; ++tick) {
        SendMessageW(w.hwnd(), WM_TIMER, ID_TIMER_LOGO, 0);
        RECT pending{};
        ASSERT_TRUE(GetUpdateRect(w.hwnd(), &pending, FALSE));
        EXPECT_TRUE(EqualRect(&pending, &logoArea)) << "frame " << g_app.logoFrame;
        EXPECT_FALSE(cvtest::hasPendingPaint(g_app.editUser));
        EXPECT_FALSE(cvtest::hasPendingPaint(g_app.btnLogin));
        UpdateWindow(w.hwnd());
        afterTick.capture(w.hwnd());

        repaintEverything(w.hwnd());
        full.capture(w.hwnd());
        EXPECT_EQ(afterTick.differences(full, caretBox(w.hwnd())), 0)
            << "frame " << g_app.logoFrame;
    }
    // The captures hold the real picture: the top band, the logo's core and the Login button.
    const LogoPulse pulse = logoPulse(g_app.logoFrame, loginCardRect(kWidth, kHeight));
    EXPECT_EQ(full.at(4, 4), RGB(0x06, 0x14, 0x2C));
    EXPECT_EQ(full.at(pulse.x + 4, pulse.y + pulse.side / 2), pulse.core);
    const POINT button = insideLoginButton();
    EXPECT_EQ(full.at(button.x, button.y), loginButtonFill());
}

TEST(MainWindowRepaint, OwnPaintingLeavesTheControlsAlone) {
    MainWindow w(kWidth, kHeight);
    KillTimer(w.hwnd(), ID_TIMER_LOGO);
    repaintEverything(w.hwnd());
    Dib before(kWidth, kHeight), after(kWidth, kHeight);
    before.capture(w.hwnd());
    const POINT button = insideLoginButton();
    ASSERT_EQ(before.at(button.x, button.y), loginButtonFill());

    // The main window paints its whole client area and no control repaints after it: the
    // controls must still show what they drew, not the card underneath.
    RedrawWindow(w.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
    after.capture(w.hwnd());
    EXPECT_EQ(after.differences(before, caretBox(w.hwnd())), 0);
}

TEST(MainWindowRepaint, ThinStripsKeepNoBitmapOfTheWholeWindow) {
    // As large as the screen allows, so no earlier paint in this process kept one this big.
    constexpr int kBigWidth = 1580, kBigHeight = 960;
    MainWindow w(kBigWidth, kBigHeight);
    KillTimer(w.hwnd(), ID_TIMER_LOGO);
    const auto committed = [] {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
        return counters.PagefileUsage;
    };
    repaintEverything(w.hwnd());
    const SIZE_T before = committed();
    // Each small enough for the kept bitmap; both together span the window (6 MB at 32 bits).
    const RECT strips[] = {{0, 0, kBigWidth, 16}, {0, 0, 16, kBigHeight}};
    for (const RECT& strip : strips) {
        RedrawWindow(w.hwnd(), &strip, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    EXPECT_LT(committed(), before + (SIZE_T{1} << 20));
}
