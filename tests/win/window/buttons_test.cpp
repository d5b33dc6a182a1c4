#include "render/palette.h"
#include "shell/app_state.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "shell/window.h"
#include "support/dib.h"
#include "support/main_window.h"

#include <gtest/gtest.h>

using namespace corvanta;
using cvtest::Dib;
using cvtest::MainWindow;

namespace {

constexpr COLORREF kBack = RGB(1, 2, 3);

// Paints a button through the real WM_DRAWITEM into a 186 x 36 DIB.
void drawButton(HWND main, Dib& dib, int id, bool pressed = false, UINT type = ODT_BUTTON) {
    DRAWITEMSTRUCT item{};
    item.CtlType = type;
    item.CtlID = static_cast<UINT>(id);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = pressed ? ODS_SELECTED : 0;
    item.hwndItem = controlForId(id);
    item.hDC = dib.dc();
    item.rcItem = {0, 0, dib.width(), dib.height()};
    EXPECT_EQ(SendMessageW(main, WM_DRAWITEM, static_cast<WPARAM>(id),
                           reinterpret_cast<LPARAM>(&item)),
              TRUE);
}

struct Look {
    COLORREF fill, outline;
    bool bar;
};

// Fill away from the centred or left caption, outline on the top edge, the accent bar column.
Look read(const Dib& d) {
    return {d.at(d.width() - 12, d.height() / 2), d.at(d.width() / 2, 0), d.at(1, d.height() / 2) == accent()};
}

} // namespace

TEST(OwnerButtons, RailActiveInactiveAndPressed) {
    MainWindow w;
    w.signInForTest();
    Dib dib(186, 36);
    drawButton(w.hwnd(), dib, ID_NAV_SPEECH);
    Look l = read(dib);
    EXPECT_EQ(l.fill, RGB(0xE6, 0xF1, 0xFF));
    EXPECT_EQ(l.outline, RGB(0xB4, 0xD5, 0xFF));
    EXPECT_TRUE(l.bar);
    EXPECT_EQ(dib.at(1, 8), accent());
    EXPECT_EQ(dib.at(1, 27), accent());
    EXPECT_NE(dib.at(1, 7), accent());
    EXPECT_NE(dib.at(1, 28), accent());
    EXPECT_NE(dib.at(3, 18), accent());
    EXPECT_EQ(dib.at(0, 0), kBack); // rounded corner, 9-pixel ellipse

    dib.fill(kBack);
    drawButton(w.hwnd(), dib, ID_NAV_WALLET);
    l = read(dib);
    EXPECT_EQ(l.fill, appBg());
    EXPECT_EQ(l.outline, appBg());
    EXPECT_FALSE(l.bar);

    dib.fill(kBack);
    drawButton(w.hwnd(), dib, ID_NAV_SPEECH, true);
    l = read(dib);
    EXPECT_EQ(l.fill, surface3());
    EXPECT_EQ(l.outline, RGB(0xB4, 0xD5, 0xFF));
    EXPECT_TRUE(l.bar);

    // The bar follows the screen.
    w.command(ID_NAV_WALLET);
    dib.fill(kBack);
    drawButton(w.hwnd(), dib, ID_NAV_WALLET);
    EXPECT_TRUE(read(dib).bar);
    dib.fill(kBack);
    drawButton(w.hwnd(), dib, ID_NAV_SPEECH);
    EXPECT_FALSE(read(dib).bar);
}

TEST(OwnerButtons, LiveButtonsAndLiveKit) {
    MainWindow w;
    w.signInForTest();
    Dib dib(186, 36);
    w.command(ID_NAV_LIVE);
    drawButton(w.hwnd(), dib, ID_NAV_LIVE);
    Look l = read(dib);
    EXPECT_EQ(l.fill, RGB(0xFF, 0xE8, 0xEE));
    EXPECT_EQ(l.outline, liveRed());
    EXPECT_TRUE(l.bar);
    dib.fill(kBack);
    drawButton(w.hwnd(), dib, ID_NAV_TREVACAST);
    l = read(dib);
    EXPECT_EQ(l.fill, surface());
    EXPECT_EQ(l.outline, liveRed());
    EXPECT_FALSE(l.bar);
    w.command(ID_NAV_TREVACAST);
    dib.fill(kBack);
    drawButton(w.hwnd(), dib, ID_NAV_TREVACAST);
    EXPECT_TRUE(read(dib).bar);
    dib.fill(kBack);
    drawButton(w.hwnd(), dib, ID_BTN_LIVEKIT);
    l = read(dib);
    EXPECT_EQ(l.fill, surface());
    EXPECT_EQ(l.outline, liveRed());
    EXPECT_FALSE(l.bar);
}

TEST(OwnerButtons, StartChoiceSwapAndPressedLogin) {
    MainWindow w;
    Dib a(207, 34), b(207, 34);
    drawButton(w.hwnd(), a, ID_BTN_START_COMMUNITY);
    drawButton(w.hwnd(), b, ID_BTN_START_TREVACAST);
    EXPECT_EQ(read(a).fill, RGB(0xE6, 0xF1, 0xFF));
    EXPECT_EQ(read(a).outline, accent());
    EXPECT_EQ(read(b).fill, RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(read(b).outline, border());
    w.command(ID_BTN_START_TREVACAST);
    a.fill(kBack), b.fill(kBack);
    drawButton(w.hwnd(), a, ID_BTN_START_COMMUNITY);
    drawButton(w.hwnd(), b, ID_BTN_START_TREVACAST);
    EXPECT_EQ(read(a).fill, RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(read(b).fill, RGB(0xE6, 0xF1, 0xFF));

    Dib login(424, 38);
    drawButton(w.hwnd(), login, ID_BTN_LOGIN);
    EXPECT_EQ(read(login).fill, accent());
    login.fill(kBack);
    drawButton(w.hwnd(), login, ID_BTN_LOGIN, true);
    EXPECT_EQ(read(login).fill, RGB(0xE1, 0xEC, 0xFA));
    EXPECT_EQ(read(login).outline, accent());
    // A disabled Login button looks like an enabled one.
    EnableWindow(g_app.btnLogin, FALSE);
    login.fill(kBack);
    drawButton(w.hwnd(), login, ID_BTN_LOGIN);
    EXPECT_EQ(read(login).fill, accent());
}

TEST(OwnerButtons, StudioWindowAndLogoutColours) {
    MainWindow w;
    Dib dib(158, 28);
    drawButton(w.hwnd(), dib, ID_BTN_TREVACAST);
    EXPECT_EQ(read(dib).fill, mediaPanel());
    EXPECT_EQ(read(dib).outline, accent2());
    dib.fill(kBack);
    drawButton(w.hwnd(), dib, ID_BTN_LOGOUT);
    EXPECT_EQ(read(dib).fill, RGB(0xFF, 0xEF, 0xF3));
    EXPECT_EQ(read(dib).outline, RGB(0xFF, 0xBE, 0xCC));
}

TEST(OwnerButtons, NullAndOtherControlTypesPaintNothing) {
    MainWindow w;
    Dib dib(186, 36);
    drawButton(w.hwnd(), dib, ID_BTN_LOGIN, false, ODT_MENU);
    drawButton(w.hwnd(), dib, ID_BTN_LOGIN, false, ODT_LISTBOX);
    SendMessageW(w.hwnd(), WM_DRAWITEM, ID_BTN_LOGIN, 0);
    EXPECT_EQ(dib.count(kBack, 0, 0, 186, 36), 186 * 36);
}
