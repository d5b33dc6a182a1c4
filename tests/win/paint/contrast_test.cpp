// A contrast theme: forced on through the program's own seam (Wine reports none) with a known
// scheme set by SetSysColors. Every pixel of the real windows, child controls included, must be
// one of the scheme's colours or a blend of two of them (font smoothing): a painter left on a
// fixed colour shows up as a stranger. Two schemes, so no fixed colour can hide in both.
#include "render/theme.h"
#include "shell/app_state.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "studio/studio.h"
#include "support/dib.h"
#include "support/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace corvanta;
using cvtest::Dib;

namespace {

struct Scheme {
    const char* name;
    COLORREF window, windowText, highlight, highlightText, buttonFace, buttonText, grayText,
        hotLight;
    std::vector<COLORREF> colors() const {
        return {window,     windowText, highlight, highlightText,
                buttonFace, buttonText, grayText,  hotLight};
    }
};

// Black with white text, cyan selection and yellow links, as Windows' own dark contrast theme.
const Scheme kNight{"night",         RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 255, 255),
                    RGB(0, 0, 0),    RGB(0, 0, 0), RGB(255, 255, 255), RGB(63, 242, 63),
                    RGB(255, 255, 0)};
// Neither black nor white: a painter left on either fails here.
const Scheme kDusk{"dusk",
                   RGB(0x1E, 0x10, 0x3C),
                   RGB(0xF0, 0xE6, 0x8C),
                   RGB(0x9A, 0x3B, 0x00),
                   RGB(0xFF, 0xF0, 0xD0),
                   RGB(0x30, 0x30, 0x48),
                   RGB(0x8C, 0xF0, 0xE6),
                   RGB(0x80, 0x80, 0xA0),
                   RGB(0x40, 0xC0, 0xFF)};

constexpr int kSchemeIndex[] = {
    COLOR_WINDOW,     COLOR_WINDOWTEXT, COLOR_HIGHLIGHT,   COLOR_HIGHLIGHTTEXT, COLOR_BTNFACE,
    COLOR_BTNTEXT,    COLOR_GRAYTEXT,   COLOR_HOTLIGHT,    COLOR_BTNSHADOW,     COLOR_BTNHIGHLIGHT,
    COLOR_3DDKSHADOW, COLOR_3DLIGHT,    COLOR_WINDOWFRAME, COLOR_SCROLLBAR};

void apply(const Scheme& s) {
    // The 3D edges and scroll bars Windows draws for the controls take the scheme's colours too,
    // as a contrast theme gives them.
    const COLORREF values[] = {s.window,     s.windowText, s.highlight,  s.highlightText,
                               s.buttonFace, s.buttonText, s.grayText,   s.hotLight,
                               s.buttonText, s.buttonText, s.buttonText, s.buttonFace,
                               s.windowText, s.buttonFace};
    SetSysColors(static_cast<int>(std::size(kSchemeIndex)), kSchemeIndex, values);
}

// A blend of a and b: the same share of b in every channel, give or take rounding.
bool blendOf(COLORREF p, COLORREF a, COLORREF b) {
    const int pc[] = {GetRValue(p), GetGValue(p), GetBValue(p)};
    const int ac[] = {GetRValue(a), GetGValue(a), GetBValue(a)};
    const int bc[] = {GetRValue(b), GetGValue(b), GetBValue(b)};
    int widest = 0;
    for (int c = 1; c < 3; ++c) {
        widest = std::abs(bc[c] - ac[c]) > std::abs(bc[widest] - ac[widest]) ? c : widest;
    }
    const int span = bc[widest] - ac[widest];
    if (span == 0) {
        return p == a;
    }
    const double t = static_cast<double>(pc[widest] - ac[widest]) / span;
    if (t < -0.01 || t > 1.01) {
        return false;
    }
    for (int c = 0; c < 3; ++c) {
        if (std::abs(pc[c] - (ac[c] + t * (bc[c] - ac[c]))) > 3.0) {
            return false;
        }
    }
    return true;
}

// Colours of the picture outside `skip` that are neither the scheme's nor a blend of two of them,
// with a place where each is found.
std::map<COLORREF, POINT> strangers(const Dib& picture, const Scheme& scheme, const RECT& skip) {
    const std::vector<COLORREF> own = scheme.colors();
    std::map<COLORREF, bool> known;
    std::map<COLORREF, POINT> found;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (PtInRect(&skip, POINT{x, y})) {
                continue;
            }
            const COLORREF p = picture.at(x, y);
            auto it = known.find(p);
            if (it == known.end()) {
                bool fits = false;
                for (std::size_t i = 0; i < own.size() && !fits; ++i) {
                    for (std::size_t j = i; j < own.size() && !fits; ++j) {
                        fits = blendOf(p, own[i], own[j]);
                    }
                }
                it = known.emplace(p, fits).first;
            }
            if (!it->second && found.count(p) == 0) {
                found[p] = POINT{x, y};
            }
        }
    }
    return found;
}

std::string describe(const std::map<COLORREF, POINT>& found) {
    std::string text;
    for (const auto& [color, at] : found) {
        char line[64];
        std::snprintf(line, sizeof line, " %06lX at (%ld, %ld);", static_cast<unsigned long>(color),
                      at.x, at.y);
        text += line;
        if (text.size() > 600) {
            return text + " ...";
        }
    }
    return text;
}

RECT clientOf(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

// The output box's scroll bar, in the window's client coordinates. On Windows a contrast theme
// sets the visual style aside and the scroll bar takes the theme's colours; Wine keeps drawing it
// in its own light style whatever the system colours. It is Windows' own, no painter's.
RECT scrollBarOf(HWND control) {
    RECT r{};
    if (IsWindowVisible(control) && (GetWindowLongW(control, GWL_STYLE) & WS_VSCROLL) != 0) {
        GetClientRect(control, &r);
        MapWindowPoints(control, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        r.left = r.right;
        r.right += GetSystemMetrics(SM_CXVSCROLL);
    }
    return r;
}

class ContrastTheme : public ::testing::Test {
  protected:
    void SetUp() override {
        for (std::size_t i = 0; i < std::size(kSchemeIndex); ++i) {
            saved_.push_back(GetSysColor(kSchemeIndex[i]));
        }
        window_ = std::make_unique<cvtest::MainWindow>();
    }
    void TearDown() override {
        if (g_trevacastHwnd != nullptr) {
            DestroyWindow(g_trevacastHwnd);
        }
        window_.reset();
        SetSysColors(static_cast<int>(std::size(kSchemeIndex)), kSchemeIndex, saved_.data());
        forceContrastForTests(std::nullopt);
        reloadTheme();
    }

    // Everything painted that is waiting to be, and no caret blinking over it: the caret is the
    // system's, not a painter's.
    void settle() {
        SetFocus(nullptr);
        window_->pump(50);
        window_->pumpUntil([&] {
            return !cvtest::hasPendingPaint(window_->hwnd()) &&
                   (g_trevacastHwnd == nullptr || !cvtest::hasPendingPaint(g_trevacastHwnd));
        });
        window_->pump(50);
    }
    void send(UINT msg, WPARAM wParam) {
        SendMessageW(window_->hwnd(), msg, wParam, 0);
        if (g_trevacastHwnd != nullptr) {
            SendMessageW(g_trevacastHwnd, msg, wParam, 0);
        }
    }
    // The window's client area as it stands on screen, with the studio window out of its way.
    void expectOnlyScheme(HWND hwnd, const Scheme& scheme, const char* what) {
        const bool studio = hwnd == g_trevacastHwnd;
        if (g_trevacastHwnd != nullptr) {
            ShowWindow(g_trevacastHwnd, studio ? SW_SHOWNOACTIVATE : SW_HIDE);
        }
        settle();
        const RECT client = clientOf(hwnd);
        Dib picture(client.right, client.bottom);
        picture.capture(hwnd);
        const RECT skip = studio ? RECT{} : scrollBarOf(g_app.output);
        EXPECT_EQ(describe(strangers(picture, scheme, skip)), "") << what << " in " << scheme.name;
        // The selection shows in the scheme's own colour, not as a tint of something else.
        if (hwnd == window_->hwnd()) {
            EXPECT_GT(picture.count(scheme.highlight, 0, 0, client.right, client.bottom), 200)
                << what << " in " << scheme.name;
        }
        if (const char* dir = std::getenv("CV_SHOT_DIR"); dir != nullptr && *dir != '\0') {
            picture.save(std::string(dir) + "\\contrast-" + scheme.name + "-" + what + ".bmp");
        }
    }

    std::vector<COLORREF> saved_;
    std::unique_ptr<cvtest::MainWindow> window_;
};

TEST_F(ContrastTheme, EveryPixelTakesTheSchemesColoursAndFollowsEveryChange) {
    forceContrastForTests(true);
    apply(kNight);
    send(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST);
    const HWND main = window_->hwnd();
    expectOnlyScheme(main, kNight, "login");
    window_->signInForTest();
    window_->command(ID_NAV_SPEECH);
    expectOnlyScheme(main, kNight, "community");
    window_->command(ID_NAV_TREVACAST);
    expectOnlyScheme(main, kNight, "studio-tab");
    window_->command(ID_BTN_TREVACAST);
    ASSERT_NE(g_trevacastHwnd, nullptr);
    expectOnlyScheme(g_trevacastHwnd, kNight, "studio-window");

    // Each of the messages Windows sends on a change makes both windows read the colours again
    // and repaint, whether or not the contrast flag flipped.
    const struct {
        UINT msg;
        WPARAM wParam;
        const Scheme* next;
    } changes[] = {{WM_SYSCOLORCHANGE, 0, &kDusk},
                   {WM_THEMECHANGED, 0, &kNight},
                   {WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, &kDusk}};
    for (const auto& change : changes) {
        apply(*change.next);
        settle();
        send(change.msg, change.wParam);
        EXPECT_TRUE(cvtest::hasPendingPaint(main)) << change.msg;
        EXPECT_TRUE(cvtest::hasPendingPaint(g_trevacastHwnd)) << change.msg;
        expectOnlyScheme(main, *change.next, "studio-tab");
        expectOnlyScheme(g_trevacastHwnd, *change.next, "studio-window");
    }
    window_->command(ID_NAV_SPEECH);
    expectOnlyScheme(main, kDusk, "community");
    g_app.showLogin = true;
    layout(main);
    InvalidateRect(main, nullptr, FALSE);
    expectOnlyScheme(main, kDusk, "login");

    // Turned off, the program's own colours come back.
    forceContrastForTests(false);
    send(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST);
    ShowWindow(g_trevacastHwnd, SW_HIDE);
    settle();
    Dib picture(100, 400);
    picture.capture(main);
    EXPECT_EQ(picture.at(5, 300), RGB(0x04, 0x09, 0x14)); // the login backdrop
}

} // namespace
