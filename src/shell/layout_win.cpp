#include "shell/layout.h"

#include "render/fonts.h"
#include "render/theme.h"
#include "shell/accessibility.h"
#include "shell/app_state.h"
#include "shell/geometry.h"
#include "shell/ids.h"
#include "shell/window_dpi.h"

namespace corvanta {
namespace {

enum class Kind { Button, Edit, Output };

struct ControlSpec {
    int id;
    HWND AppState::*field;
    Kind kind;
    const wchar_t* text;
    DWORD extraStyle;
    // What a screen reader calls a field: its caption is painted, not a label control. A button
    // is called by its own caption.
    const wchar_t* name = nullptr;
};

// Creation order.
constexpr ControlSpec kControls[] = {
    {ID_NAV_ORBITAL, &AppState::navOrbital, Kind::Button, L"Orbit Feed", 0},
    {ID_NAV_SPEECH, &AppState::navSpeech, Kind::Button, L"Community", 0},
    {ID_NAV_LIVE, &AppState::navLive, Kind::Button, L"Live", 0},
    {ID_NAV_TREVACAST, &AppState::navTrevacast, Kind::Button, L"Trevacast", 0},
    {ID_NAV_DM, &AppState::navDm, Kind::Button, L"DM", 0},
    {ID_NAV_STUDIO, &AppState::navStudio, Kind::Button, L"Mixforge", 0},
    {ID_NAV_PROFILE, &AppState::navProfile, Kind::Button, L"Profil", 0},
    {ID_NAV_WALLET, &AppState::navWallet, Kind::Button, L"Wallet", 0},
    {ID_NAV_ASSETS, &AppState::navAssets, Kind::Button, L"Gifts", 0},
    {ID_NAV_SETTINGS, &AppState::navSettings, Kind::Button, L"Einstellungen", 0},
    {ID_EDIT_USER, &AppState::editUser, Kind::Edit, L"username oder email", 0, L"Account"},
    {ID_EDIT_PASS, &AppState::editPass, Kind::Edit, L"", ES_PASSWORD, L"Passwort"},
    {ID_EDIT_ROOM, &AppState::editRoom, Kind::Edit, L"room optional", 0, L"Room"},
    {ID_EDIT_COMMUNITY_ID, &AppState::editCommunityId, Kind::Edit, L"6", 0, L"Community ID"},
    {ID_EDIT_TITLE, &AppState::editTitle, Kind::Edit, L"Titel", 0, L"Titel"},
    {ID_EDIT_CLAN_NAME, &AppState::editClanName, Kind::Edit, L"Clan Name", 0, L"Clan Name"},
    {ID_EDIT_CLAN_ID, &AppState::editClanId, Kind::Edit, L"Clan ID", 0, L"Clan ID"},
    {ID_BTN_LOGIN, &AppState::btnLogin, Kind::Button, L"Login", 0},
    {ID_BTN_LOGOUT, &AppState::btnLogout, Kind::Button, L"Logout", 0},
    {ID_BTN_START_COMMUNITY, &AppState::btnStartCommunity, Kind::Button, L"Community", 0},
    {ID_BTN_START_TREVACAST, &AppState::btnStartTrevacast, Kind::Button, L"Trevacast", 0},
    {ID_BTN_LIVEKIT, &AppState::btnLiveKit, Kind::Button, L"LiveKit", 0},
    {ID_BTN_TREVACAST, &AppState::btnTrevacast, Kind::Button, L"Extra Fenster", 0},
    {ID_BTN_REFRESH, &AppState::btnRefresh, Kind::Button, L"Refresh", 0},
    {ID_BTN_COMMUNITY_LOAD, &AppState::btnCommunityLoad, Kind::Button, L"Sync", 0},
    {ID_BTN_COMMUNITY_TITLE, &AppState::btnCommunityTitle, Kind::Button, L"Titel setzen", 0},
    {ID_BTN_COMMUNITY_CLAN_CREATE, &AppState::btnCommunityClanCreate, Kind::Button,
     L"Community erstellen", 0},
    {ID_BTN_COMMUNITY_CLAN_JOIN, &AppState::btnCommunityClanJoin, Kind::Button,
     L"Clan beitreten", 0},
    {ID_OUTPUT, &AppState::output, Kind::Output, L"", 0, L"API Log"},
};

ShellFonts appFonts() {
    return {g_app.fontBody, g_app.fontTitle, g_app.fontSmall, g_app.fontHero, g_app.fontMono};
}

void setAppFonts(const ShellFonts& fonts) {
    g_app.fontBody = fonts.body;
    g_app.fontTitle = fonts.title;
    g_app.fontSmall = fonts.smallText;
    g_app.fontHero = fonts.hero;
    g_app.fontMono = fonts.mono;
}

HWND makeControl(HWND parent, int id, const wchar_t* cls, const wchar_t* text, DWORD exStyle,
                 DWORD style) {
    HWND control = CreateWindowExW(exStyle, cls, text, style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.fontBody), TRUE);
    return control;
}

void showControl(HWND control, bool visible) {
    if (control != nullptr) {
        ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
    }
}

} // namespace

HWND makeButton(HWND parent, int id, const wchar_t* caption) {
    return makeControl(parent, id, L"BUTTON", caption, 0,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
}

HWND makeEdit(HWND parent, int id, const wchar_t* text, DWORD extraStyle) {
    return makeControl(parent, id, L"EDIT", text, WS_EX_CLIENTEDGE,
                       WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | extraStyle);
}

bool accessibleTraits(int id, AccessibleTraits& traits) {
    for (const auto& entry : kControls) {
        if (entry.id == id) {
            traits = {entry.name != nullptr ? entry.name : entry.text, entry.kind == Kind::Button,
                      (entry.extraStyle & ES_PASSWORD) != 0, entry.kind == Kind::Output};
            return true;
        }
    }
    return false;
}

HWND controlForId(int id) {
    for (const auto& entry : kControls) {
        if (entry.id == id) {
            return g_app.*entry.field;
        }
    }
    return nullptr;
}

void createUi(HWND parent) {
    setAppFonts(makeShellFonts(windowDpi(parent)));
    fieldBrush();

    for (const auto& entry : kControls) {
        HWND control = nullptr;
        switch (entry.kind) {
        case Kind::Button: control = makeButton(parent, entry.id, entry.text); break;
        case Kind::Edit: control = makeEdit(parent, entry.id, entry.text, entry.extraStyle); break;
        case Kind::Output:
            control = makeControl(parent, entry.id, L"EDIT", entry.text, WS_EX_CLIENTEDGE,
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE |
                                      ES_AUTOVSCROLL | ES_READONLY);
            break;
        }
        g_app.*entry.field = control;
        makeAccessible(control, entry.id);
    }
    layout(parent);
    SetFocus(g_app.editUser);
}

void remakeFontsForDpi(HWND parent) {
    ShellFonts old = appFonts();
    setAppFonts(makeShellFonts(windowDpi(parent)));
    for (const auto& entry : kControls) {
        SendMessageW(g_app.*entry.field, WM_SETFONT, reinterpret_cast<WPARAM>(g_app.fontBody),
                     FALSE);
    }
    // Only now, when no control uses them any more.
    deleteShellFonts(old);
}

HBRUSH fieldBrush() {
    const Color wanted = color(role::field);
    if (g_app.surfaceBrush == nullptr || g_app.surfaceBrushColor != wanted) {
        // Asked for only between two paints of a control, so the old brush is no longer in use.
        if (HBRUSH made = CreateSolidBrush(wanted)) {
            if (g_app.surfaceBrush != nullptr) {
                DeleteObject(g_app.surfaceBrush);
            }
            g_app.surfaceBrush = made;
            g_app.surfaceBrushColor = wanted;
        }
    }
    return g_app.surfaceBrush;
}

void layout(HWND window) {
    // Placed in 96-DPI units of the client area, enlarged at the end.
    const AreaScale scale = clientScale(window);
    for (const auto& step :
         computeLayout(scale.width(), scale.height(), g_app.showLogin, g_app.screen)) {
        HWND control = controlForId(step.id);
        if (step.placed) {
            const Placement& at = step.at;
            const int left = scale.x(at.x), top = scale.y(at.y);
            MoveWindow(control, left, top, scale.x(at.x + at.width) - left,
                       scale.y(at.y + at.height) - top, TRUE);
        }
        showControl(control, step.visible);
    }
}

} // namespace corvanta
