#include "backend/text_win.h"
#include "render/palette.h"
#include "shell/app_state.h"
#include "shell/geometry.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "shell/window.h"
#include "studio/studio.h"
#include "support/main_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

using namespace corvanta;
using cvtest::MainWindow;

namespace {

struct Child {
    int id;
    std::wstring cls;
    std::wstring text;
    LONG style;
    LONG exStyle;
};

std::vector<Child> children(HWND parent) {
    std::vector<Child> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[64] = {}, text[256] = {};
        GetClassNameW(c, cls, 64);
        GetWindowTextW(c, text, 256);
        out.push_back({GetDlgCtrlID(c), cls, text, GetWindowLongW(c, GWL_STYLE),
                       GetWindowLongW(c, GWL_EXSTYLE)});
    }
    return out;
}

const LONG kButtonStyle = WS_CHILD | WS_TABSTOP | BS_OWNERDRAW;
const LONG kEditStyle = WS_CHILD | ES_AUTOHSCROLL;
const LONG kOutputStyle = WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;

} // namespace

TEST(MainWindow, StartsSignedOutWithInitialState) {
    MainWindow w;
    ASSERT_NE(w.hwnd(), nullptr);
    EXPECT_EQ(g_app.hwnd, w.hwnd());
    EXPECT_EQ(g_app.screen, Screen::Community);
    EXPECT_EQ(g_app.startScreen, Screen::Community);
    EXPECT_TRUE(g_app.showLogin);
    EXPECT_FALSE(g_app.loginBusy);
    EXPECT_TRUE(g_app.token.empty());
    EXPECT_EQ(g_app.statusText, L"Login erforderlich.");
    EXPECT_EQ(g_app.loginMessage, L"Bitte mit deinem Corvanta Account einloggen.");
    EXPECT_EQ(w.output(), L"");
    EXPECT_EQ(GetFocus(), g_app.editUser);
    wchar_t title[64] = {}, cls[64] = {};
    GetWindowTextW(w.hwnd(), title, 64);
    GetClassNameW(w.hwnd(), cls, 64);
    EXPECT_STREQ(title, L"Corvanta Native Win");
    EXPECT_STREQ(cls, L"CorvantaNativeWinWindow");
    EXPECT_EQ(GetWindowLongW(w.hwnd(), GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
}

TEST(MainWindow, CreatesTheTwentyNineControlsInOrder) {
    MainWindow w;
    const std::vector<Child> kids = children(w.hwnd());
    const std::vector<std::pair<int, const wchar_t*>> expected = {
        {1001, L"Orbit Feed"}, {1002, L"Community"}, {1003, L"Live"}, {1010, L"Trevacast"},
        {1009, L"DM"}, {1006, L"Mixforge"}, {1005, L"Profil"}, {1004, L"Wallet"},
        {1007, L"Gifts"}, {1008, L"Einstellungen"}, {2001, L"username oder email"},
        {2002, L""}, {2005, L"room optional"}, {2007, L"6"}, {2008, L"Titel"},
        {2009, L"Clan Name"}, {2010, L"Clan ID"}, {2003, L"Login"}, {2015, L"Logout"},
        {2017, L"Community"}, {2018, L"Trevacast"}, {2006, L"LiveKit"},
        {2016, L"Extra Fenster"}, {2004, L"Refresh"}, {2011, L"Sync"}, {2012, L"Titel setzen"},
        {2013, L"Community erstellen"}, {2014, L"Clan beitreten"}, {3001, L""}};
    ASSERT_EQ(kids.size(), 29u);
    for (std::size_t i = 0; i < kids.size(); ++i) {
        const Child& c = kids[i];
        EXPECT_EQ(c.id, expected[i].first) << i;
        EXPECT_EQ(c.text, expected[i].second) << c.id;
        HWND h = GetDlgItem(w.hwnd(), c.id);
        EXPECT_EQ(h, controlForId(c.id));
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), g_app.fontBody);
        EXPECT_TRUE(IsWindowEnabled(h));
        const LONG style = c.style & ~WS_VISIBLE;
        if (c.id == ID_OUTPUT) {
            EXPECT_EQ(_wcsicmp(c.cls.c_str(), L"EDIT"), 0);
            EXPECT_EQ(style & kOutputStyle, kOutputStyle);
            EXPECT_EQ(style & ES_AUTOHSCROLL, 0);
            EXPECT_TRUE(c.exStyle & WS_EX_CLIENTEDGE);
        } else if (c.id >= 1001 && c.id <= 1010) {
            EXPECT_EQ(_wcsicmp(c.cls.c_str(), L"BUTTON"), 0);
            EXPECT_EQ(style & kButtonStyle, kButtonStyle);
        } else if (std::set<int>{2001, 2002, 2005, 2007, 2008, 2009, 2010}.count(c.id)) {
            EXPECT_EQ(_wcsicmp(c.cls.c_str(), L"EDIT"), 0) << c.id;
            EXPECT_EQ(style & kEditStyle, kEditStyle);
            EXPECT_EQ((style & ES_PASSWORD) != 0, c.id == ID_EDIT_PASS);
            EXPECT_EQ(style & ES_MULTILINE, 0);
            EXPECT_TRUE(c.exStyle & WS_EX_CLIENTEDGE);
        } else {
            EXPECT_EQ(_wcsicmp(c.cls.c_str(), L"BUTTON"), 0) << c.id;
            EXPECT_EQ(style & kButtonStyle, kButtonStyle);
        }
    }
    EXPECT_NE(g_app.fontTitle, nullptr);
    EXPECT_NE(g_app.fontSmall, nullptr);
    EXPECT_NE(g_app.fontHero, nullptr);
    EXPECT_NE(g_app.fontMono, nullptr);
    LOGFONTW lf{};
    GetObjectW(g_app.fontHero, sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -24);
    EXPECT_EQ(lf.lfWeight, 900);
    EXPECT_STREQ(lf.lfFaceName, L"Segoe UI");
    GetObjectW(g_app.fontMono, sizeof(lf), &lf);
    EXPECT_STREQ(lf.lfFaceName, L"Consolas");
    EXPECT_EQ(lf.lfHeight, -12);
}

TEST(MainWindow, RealLayoutMatchesTheComputedOneInEveryState) {
    MainWindow w(1304, 781);
    auto check = [&](const char* state) {
        RECT client{};
        GetClientRect(w.hwnd(), &client);
        ASSERT_EQ(client.right, 1304);
        ASSERT_EQ(client.bottom, 781);
        for (const auto& step : computeLayout(1304, 781, g_app.showLogin, g_app.screen)) {
            HWND c = controlForId(step.id);
            EXPECT_EQ(cvtest::isShown(c), step.visible) << state << " id " << step.id;
            if (step.placed) {
                const RECT r = cvtest::childRect(c);
                EXPECT_EQ(r.left, step.at.x) << state << " id " << step.id;
                EXPECT_EQ(r.top, step.at.y) << state << " id " << step.id;
                EXPECT_EQ(r.right - r.left, step.at.width) << state << " id " << step.id;
                EXPECT_EQ(r.bottom - r.top, step.at.height) << state << " id " << step.id;
            }
        }
    };
    check("login");
    EXPECT_EQ(cvtest::childRect(g_app.editUser).left, loginCardRect(1304, 781).left + 58);
    w.signInForTest();
    setScreen(Screen::Wallet);
    check("wallet");
    EXPECT_TRUE(cvtest::isShown(g_app.output));
    const RECT out = cvtest::childRect(g_app.output);
    EXPECT_EQ(out.left, 1004);
    EXPECT_EQ(out.top, 595);
    w.command(ID_NAV_TREVACAST);
    check("studio");
    EXPECT_FALSE(cvtest::isShown(g_app.output));
    EXPECT_TRUE(cvtest::isShown(g_app.editRoom));
    w.command(ID_NAV_LIVE);
    check("live");
    EXPECT_FALSE(cvtest::isShown(g_app.editRoom));
    EXPECT_TRUE(cvtest::isShown(g_app.output));

    // A narrow client hides the output box on every screen; widening brings it back.
    w.resizeClient(1179, 781);
    EXPECT_FALSE(cvtest::isShown(g_app.output));
    w.resizeClient(1304, 781);
    EXPECT_TRUE(cvtest::isShown(g_app.output));

    g_app.showLogin = true;
    layout(w.hwnd());
    check("signed out");
}

TEST(MainWindow, RailCommandsSwitchScreenRebuildIntroAndRepaint) {
    MainWindow w;
    w.signInForTest();
    const std::pair<int, Screen> rail[] = {
        {ID_NAV_ORBITAL, Screen::Orbital}, {ID_NAV_SPEECH, Screen::Community},
        {ID_NAV_LIVE, Screen::Live},       {ID_NAV_WALLET, Screen::Wallet},
        {ID_NAV_PROFILE, Screen::Profile}, {ID_NAV_STUDIO, Screen::Studio},
        {ID_NAV_ASSETS, Screen::Assets},   {ID_NAV_SETTINGS, Screen::Settings},
        {ID_NAV_DM, Screen::DirectMessages}, {ID_NAV_TREVACAST, Screen::Trevacast}};
    for (const auto& [id, screen] : rail) {
        for (int twice = 0; twice < 2; ++twice) { // the current screen again as well
            SetWindowTextW(g_app.output, L"a request report");
            ValidateRect(w.hwnd(), nullptr);
            ValidateRect(controlForId(id), nullptr);
            SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_SETFOCUS), 0);
            EXPECT_EQ(g_app.screen, screen);
            EXPECT_EQ(w.output(), introReport(screen, g_app.statusText));
            EXPECT_TRUE(cvtest::hasPendingPaint(w.hwnd())) << id;
            // The rail button now drawn as the active one repaints too.
            EXPECT_TRUE(cvtest::hasPendingPaint(controlForId(id))) << id;
        }
    }
}

TEST(MainWindow, StartChoiceCommandsLastClickWins) {
    MainWindow w;
    w.pump();
    for (HWND h : {w.hwnd(), g_app.btnStartCommunity, g_app.btnStartTrevacast}) {
        ValidateRect(h, nullptr);
    }
    w.command(ID_BTN_START_TREVACAST);
    EXPECT_EQ(g_app.startScreen, Screen::Trevacast);
    EXPECT_EQ(g_app.loginMessage, L"Nach Login startet Trevacast.");
    EXPECT_TRUE(cvtest::hasPendingPaint(w.hwnd()));
    // Both choice buttons change their look.
    EXPECT_TRUE(cvtest::hasPendingPaint(g_app.btnStartCommunity));
    EXPECT_TRUE(cvtest::hasPendingPaint(g_app.btnStartTrevacast));
    w.command(ID_BTN_START_COMMUNITY);
    EXPECT_EQ(g_app.startScreen, Screen::Community);
    EXPECT_EQ(g_app.loginMessage, L"Nach Login startet die Community.");
    w.command(ID_BTN_START_TREVACAST);
    EXPECT_EQ(g_app.startScreen, Screen::Trevacast);
    EXPECT_EQ(g_app.screen, Screen::Community);
}

TEST(MainWindow, LogoTimerAdvancesAndRepaintsOnlyWhileSignedOut) {
    MainWindow w;
    KillTimer(w.hwnd(), ID_TIMER_LOGO); // ticks are sent by hand below
    const int start = g_app.logoFrame;
    for (int i = 0; i < 28; ++i) {
        ValidateRect(w.hwnd(), nullptr);
        SendMessageW(w.hwnd(), WM_TIMER, ID_TIMER_LOGO, 0);
        EXPECT_TRUE(cvtest::hasPendingPaint(w.hwnd()));
        EXPECT_GE(g_app.logoFrame, 0);
        EXPECT_LE(g_app.logoFrame, 27);
        if (i < 27) {
            EXPECT_NE(g_app.logoFrame, start);
        }
    }
    EXPECT_EQ(g_app.logoFrame, start);

    w.signInForTest();
    w.pump();
    for (int i = 0; i < 5; ++i) {
        ValidateRect(w.hwnd(), nullptr);
        SendMessageW(w.hwnd(), WM_TIMER, ID_TIMER_LOGO, 0);
        EXPECT_FALSE(cvtest::hasPendingPaint(w.hwnd()));
    }
    EXPECT_EQ(g_app.logoFrame, start); // a tick still queued moves nothing unseen

    // Another timer id and an unknown command id change nothing.
    const int frame = g_app.logoFrame;
    const Screen screen = g_app.screen;
    SetWindowTextW(g_app.output, L"kept");
    EXPECT_EQ(SendMessageW(w.hwnd(), WM_TIMER, 4002, 0), 0);
    for (int id : {ID_EDIT_USER, ID_EDIT_ROOM, ID_OUTPUT, 9999}) {
        w.command(id);
    }
    EXPECT_EQ(g_app.logoFrame, frame);
    EXPECT_EQ(g_app.screen, screen);
    EXPECT_EQ(w.output(), L"kept");
}

namespace {

// As the Settings app does it; the announcement is sent by hand as well, since Wine's
// SPIF_SENDCHANGE did not deliver it here.
void setAnimations(bool on, HWND window = nullptr) {
    SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(on ? 1 : 0),
                          SPIF_SENDCHANGE);
    if (window != nullptr) {
        SendMessageW(window, WM_SETTINGCHANGE, SPI_SETCLIENTAREAANIMATION, 0);
    }
}

} // namespace

// Each step, then whether the logo's timer runs: only on the login card of a window that shows,
// with animations on, and each change takes effect at once.
TEST(MainWindow, LogoTimerRunsOnlyWhileThePulseCanBeSeen) {
    setAnimations(true);
    MainWindow w;
    const HWND h = w.hwnd();
    const struct {
        const char* step;
        std::function<void()> act;
        bool runs;
    } steps[] = {
        {"shown", [] {}, true},
        {"minimised", [&] { ShowWindow(h, SW_MINIMIZE); }, false},
        {"restored", [&] { ShowWindow(h, SW_RESTORE); }, true},
        {"hidden", [&] { ShowWindow(h, SW_HIDE); }, false},
        {"shown again", [&] { ShowWindow(h, SW_SHOWNOACTIVATE); }, true},
        {"signed in", [&] { w.signInForTest(); }, false},
        {"signed out", [&] { w.command(ID_BTN_LOGOUT); }, true},
        {"animations off", [&] { setAnimations(false, h); }, false},
        {"minimised, animations on",
         [&] {
             ShowWindow(h, SW_MINIMIZE);
             setAnimations(true, h);
         },
         false},
        {"restored, animations on", [&] { ShowWindow(h, SW_RESTORE); }, true},
    };
    for (const auto& s : steps) {
        s.act();
        w.pump();
        EXPECT_EQ(logoTimerRunning(), s.runs) << s.step;
        if (!s.runs) {
            const int frame = g_app.logoFrame;
            SendMessageW(h, WM_TIMER, ID_TIMER_LOGO, 0);
            EXPECT_EQ(g_app.logoFrame, frame) << s.step;
        }
    }
    setAnimations(true);
}

TEST(MainWindow, TimerRunsOnItsOwn) {
    MainWindow w;
    const int start = g_app.logoFrame;
    EXPECT_TRUE(w.pumpUntil([&] { return g_app.logoFrame != start; }, 3000));
}

TEST(MainWindow, MinimumTrackSizeAndEditColours) {
    MainWindow w;
    MINMAXINFO info{};
    info.ptMaxTrackSize = {4000, 3000};
    SendMessageW(w.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 1180);
    EXPECT_EQ(info.ptMinTrackSize.y, 720);
    EXPECT_EQ(info.ptMaxTrackSize.x, 4000);

    HDC dc = CreateCompatibleDC(nullptr);
    for (UINT msg : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}) {
        SetTextColor(dc, RGB(1, 1, 1));
        SetBkColor(dc, RGB(2, 2, 2));
        const LRESULT brush = SendMessageW(w.hwnd(), msg, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(g_app.editUser));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), g_app.surfaceBrush);
        EXPECT_EQ(GetTextColor(dc), fg());
        EXPECT_EQ(GetBkColor(dc), surface());
    }
    DeleteDC(dc);
    LOGBRUSH lb{};
    GetObjectW(g_app.surfaceBrush, sizeof(lb), &lb);
    EXPECT_EQ(lb.lbColor, surface());
}

// Shrinking exposes nothing new, so only the window's own invalidation repaints the panels
// that moved; growing must repaint the old area too.
TEST(MainWindow, EveryResizeInvalidatesTheWholeClientArea) {
    MainWindow w;
    w.signInForTest();
    for (const SIZE size : {SIZE{1200, 740}, SIZE{1500, 900}, SIZE{1181, 721}}) {
        w.pump();
        ValidateRect(w.hwnd(), nullptr);
        w.resizeClient(size.cx, size.cy);
        RECT client{};
        GetClientRect(w.hwnd(), &client);
        HRGN pending = CreateRectRgn(0, 0, 0, 0);
        HRGN whole = CreateRectRgnIndirect(&client);
        GetUpdateRgn(w.hwnd(), pending, FALSE);
        EXPECT_TRUE(EqualRgn(pending, whole)) << size.cx << "x" << size.cy;
        DeleteObject(pending);
        DeleteObject(whole);
    }
}

TEST(MainWindow, DestroyWithNullFontsStillQuits) {
    MainWindow w;
    for (HFONT* f : {&g_app.fontBody, &g_app.fontTitle, &g_app.fontSmall, &g_app.fontHero,
                     &g_app.fontMono}) {
        DeleteObject(*f);
        *f = nullptr;
    }
    DeleteObject(g_app.surfaceBrush);
    g_app.surfaceBrush = nullptr;
    DestroyWindow(w.hwnd());
    MSG msg{};
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        quit = quit || (msg.message == WM_QUIT && msg.wParam == 0);
    }
    EXPECT_TRUE(quit);
}

TEST(MainWindow, ExtraFensterOpensOneStudioWindowThatDiesWithTheMainWindow) {
    HWND studio = nullptr;
    {
        MainWindow w;
        w.signInForTest();
        w.command(ID_NAV_TREVACAST);
        w.command(ID_BTN_TREVACAST);
        studio = g_trevacastHwnd;
        ASSERT_NE(studio, nullptr);
        EXPECT_EQ(GetWindow(studio, GW_OWNER), w.hwnd());
        w.command(ID_BTN_TREVACAST);
        EXPECT_EQ(g_trevacastHwnd, studio);
        SendMessageW(studio, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(studio));
        EXPECT_FALSE(IsWindowVisible(studio));
        w.command(ID_BTN_TREVACAST);
        EXPECT_EQ(g_trevacastHwnd, studio);
        EXPECT_TRUE(IsWindowVisible(studio));
        DestroyWindow(w.hwnd());
        EXPECT_EQ(g_trevacastHwnd, nullptr);
    }
    EXPECT_FALSE(IsWindow(studio));
}

// Long texts go into the output box in pieces; the box must end up as one SetWindowTextW leaves
// an edit control of the same kind, and a hidden box must stay hidden.
TEST(MainWindow, OutputBoxHoldsWhatOneSetWindowTextWould) {
    const auto sized = [](std::size_t size, std::size_t at, const std::wstring& insert) {
        std::wstring text;
        for (std::size_t i = 0; text.size() < size; ++i) {
            text += static_cast<wchar_t>(L'a' + i % 26);
        }
        text.replace(at, insert.size(), insert);
        return text;
    };
    const std::wstring surrogates = L"\U0001F600\U0001F600";
    const std::wstring texts[] = {
        sized(999, 100, std::wstring(1, L'\0')),
        sized(1001, 100, std::wstring(1, L'\0')),
        sized(5000, 100, std::wstring(1, L'\0')),
        sized(5000, 4000, std::wstring(1, L'\0')), // after a piece boundary
        sized(5000, 998, L"\r\n\r\n"),             // line ends across the boundaries
        sized(5000, 1998, L"x" + surrogates),      // a pair across the second boundary
        sized(5000, 2999, surrogates),
    };
    MainWindow w;
    HWND reference =
        CreateWindowExW(0, L"EDIT", L"", GetWindowLongW(g_app.output, GWL_STYLE) & ~WS_VISIBLE, 0,
                        0, 200, 200, w.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(reference, nullptr);
    SendMessageW(reference, EM_SETLIMITTEXT, 100000, 0);
    for (const bool signedIn : {false, true}) {
        if (signedIn) {
            w.signInForTest();
        }
        for (const std::wstring& text : texts) {
            SCOPED_TRACE(testing::Message() << text.size() << (signedIn ? " shown" : " hidden"));
            setOutput(text);
            SetWindowTextW(reference, text.c_str());
            EXPECT_EQ(w.output(), getText(reference));
            EXPECT_EQ(cvtest::isShown(g_app.output), signedIn);
            EXPECT_EQ(IsWindowVisible(g_app.output) != FALSE, signedIn);
        }
    }
    DestroyWindow(reference);
}

// Moved to a monitor of another scale: the suggested rectangle, new fonts in every control (the
// old ones deleted), the layout of the new size. Wine sends no WM_DPICHANGED of its own.
TEST(MainWindow, DpiChangeTakesTheSuggestedRectAndRemakesTheFonts) {
    MainWindow w;
    w.signInForTest();
    const HFONT before = g_app.fontBody;
    RECT suggested{40, 30, 40 + 1400, 30 + 900};
    SendMessageW(w.hwnd(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(96, 96),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(w.hwnd(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    EXPECT_NE(g_app.fontBody, before);
    EXPECT_EQ(GetObjectType(before), 0u);
    for (int id : {ID_NAV_ORBITAL, ID_EDIT_TITLE, ID_BTN_LOGOUT, ID_OUTPUT}) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(controlForId(id), WM_GETFONT, 0, 0)),
                  g_app.fontBody);
    }
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    for (const ControlLayout& step :
         computeLayout(client.right, client.bottom, false, g_app.screen)) {
        if (step.placed) {
            const RECT r = cvtest::childRect(controlForId(step.id));
            EXPECT_EQ(r.right, step.at.x + step.at.width) << step.id;
            EXPECT_EQ(r.bottom, step.at.y + step.at.height) << step.id;
        }
    }

    w.command(ID_BTN_TREVACAST);
    ASSERT_NE(g_trevacastHwnd, nullptr);
    suggested = RECT{60, 50, 60 + 1100, 50 + 700};
    SendMessageW(g_trevacastHwnd, 0x02E0, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(g_trevacastHwnd, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
}
