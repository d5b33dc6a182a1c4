#include "shell/geometry.h"

#include "shell/ids.h"

#include <algorithm>

namespace corvanta {

bool isWide(int clientWidth) { return clientWidth >= kMinWindowWidth; }

int contentRight(int clientWidth) {
    return isWide(clientWidth) ? clientWidth - kRightPanelWidth : clientWidth;
}

Rect loginCardRect(int clientWidth, int clientHeight) {
    const int cw = std::min(540, std::max(420, clientWidth - 120));
    const int left = (clientWidth - cw) / 2;
    const int top = std::max(38, (clientHeight - 456) / 2);
    return {left, top, left + cw, top + 456};
}

namespace {

constexpr int kRailIds[] = {ID_NAV_ORBITAL, ID_NAV_SPEECH,  ID_NAV_LIVE,    ID_NAV_TREVACAST,
                            ID_NAV_DM,      ID_NAV_STUDIO,  ID_NAV_WALLET,  ID_NAV_ASSETS,
                            ID_NAV_PROFILE, ID_NAV_SETTINGS};

void hide(std::vector<ControlLayout>& out, int id) { out.push_back({id, false, false, {}}); }
void place(std::vector<ControlLayout>& out, int id, bool visible, Placement at) {
    out.push_back({id, visible, true, at});
}

void loginLayout(std::vector<ControlLayout>& out, int w, int h) {
    const Rect card = loginCardRect(w, h);
    const int fx = card.left + 58;
    const int fw = card.width() - 116;
    const int cy = card.top;
    for (int id : kRailIds) {
        hide(out, id);
    }
    for (int id : {ID_EDIT_ROOM, ID_EDIT_COMMUNITY_ID, ID_EDIT_TITLE, ID_EDIT_CLAN_NAME,
                   ID_EDIT_CLAN_ID, ID_BTN_REFRESH, ID_BTN_LIVEKIT, ID_BTN_TREVACAST,
                   ID_BTN_COMMUNITY_LOAD, ID_BTN_COMMUNITY_TITLE, ID_BTN_COMMUNITY_CLAN_CREATE,
                   ID_BTN_COMMUNITY_CLAN_JOIN, ID_BTN_LOGOUT, ID_OUTPUT}) {
        hide(out, id);
    }
    const int half = (fw - 10) / 2;
    place(out, ID_EDIT_USER, true, {fx, cy + 182, fw, 32});
    place(out, ID_EDIT_PASS, true, {fx, cy + 232, fw, 32});
    place(out, ID_BTN_LOGIN, true, {fx, cy + 358, fw, 38});
    place(out, ID_BTN_START_COMMUNITY, true, {fx, cy + 304, half, 34});
    place(out, ID_BTN_START_TREVACAST, true, {fx + (fw + 10) / 2, cy + 304, half, 34});
}

void workspaceLayout(std::vector<ControlLayout>& out, int w, int h, Screen screen) {
    for (int id : {ID_EDIT_USER, ID_EDIT_PASS, ID_BTN_LOGIN, ID_BTN_START_COMMUNITY,
                   ID_BTN_START_TREVACAST}) {
        hide(out, id);
    }
    for (int i = 0; i < 9; ++i) {
        place(out, kRailIds[i], true, {16, 86 + 43 * i, 186, 36});
    }
    place(out, ID_NAV_SETTINGS, true, {16, std::max(473, h - 212), 186, 36});

    place(out, ID_EDIT_COMMUNITY_ID, true, {230, 372, 58, 26});
    place(out, ID_BTN_COMMUNITY_LOAD, true, {296, 372, 124, 26});
    place(out, ID_EDIT_TITLE, true, {230, 410, 190, 25});
    place(out, ID_BTN_COMMUNITY_TITLE, true, {230, 441, 190, 27});
    place(out, ID_EDIT_CLAN_NAME, true, {230, 481, 190, 25});
    place(out, ID_BTN_COMMUNITY_CLAN_CREATE, true, {230, 512, 190, 27});
    place(out, ID_EDIT_CLAN_ID, true, {230, 550, 190, 25});
    place(out, ID_BTN_COMMUNITY_CLAN_JOIN, true, {230, 581, 190, 27});

    const bool studio = screen == Screen::Trevacast;
    if (studio) {
        place(out, ID_EDIT_ROOM, true, {468, h - 61, 180, 27});
        place(out, ID_BTN_LIVEKIT, true, {656, h - 61, 112, 27});
        place(out, ID_BTN_TREVACAST, true, {w - 158, h - 61, 126, 27});
    } else {
        hide(out, ID_EDIT_ROOM);
        hide(out, ID_BTN_LIVEKIT);
        hide(out, ID_BTN_TREVACAST);
    }

    const int r = contentRight(w);
    const int wc = std::max(420, r - 432);
    place(out, ID_BTN_REFRESH, true, {wc + 310, 18, 96, 30});
    place(out, ID_BTN_LOGOUT, true, {30, h - 62, 158, 28});

    if (!studio && isWide(w)) {
        place(out, ID_OUTPUT, true, {r + 16, h - 186, 284, 168});
    } else {
        hide(out, ID_OUTPUT);
    }
}

} // namespace

std::vector<ControlLayout> computeLayout(int clientWidth, int clientHeight, bool showLogin,
                                         Screen screen) {
    std::vector<ControlLayout> out;
    out.reserve(40);
    if (showLogin) {
        loginLayout(out, clientWidth, clientHeight);
    } else {
        workspaceLayout(out, clientWidth, clientHeight, screen);
    }
    return out;
}

StudioTabGeometry studioTabGeometry(int left, int right, int bottom) {
    StudioTabGeometry g;
    g.workspace = {left + 18, 166, right - 18, bottom - 18};
    g.wsW = right - left - 36;
    g.innerTop = g.workspace.top + 66;
    g.innerBottom = g.workspace.bottom - 86;
    g.colW = std::min(236, std::max(178, g.wsW / 4));
    g.showChat = g.wsW > 929;
    g.chatW = g.showChat ? 246 : 0;
    g.leftColumn = {left + 34, g.innerTop, left + 34 + g.colW, g.innerBottom};
    g.chatColumn = {right - 34 - g.chatW, g.innerTop, right - 34, g.innerBottom};
    g.program = {g.leftColumn.right + 12, g.innerTop,
                 g.showChat ? g.chatColumn.left - 12 : right - 34, g.innerBottom};
    return g;
}

StudioWindowPanels studioWindowPanels(int w, int h) {
    return {{12, 54, 252, h - 162},
            {264, 54, w - 298, h - 162},
            {w - 286, 54, w - 12, h - 162},
            {12, h - 150, w - 12, h - 12}};
}

LogoPulse logoPulse(int logoFrame, const Rect& card) {
    LogoPulse pulse;
    pulse.phase = ((logoFrame % 28) + 28) % 28;
    pulse.p = pulse.phase <= 13 ? pulse.phase : 28 - pulse.phase;
    pulse.side = 72 + pulse.p;
    pulse.x = card.left + (card.width() - pulse.side) / 2;
    pulse.y = card.top + 30 - pulse.p / 2;
    pulse.core = rgb(0x12, 119 + 3 * pulse.p, 0xFF);
    return pulse;
}

Rect fittedWindowRect(const Rect& window, const Rect& workArea) {
    const auto fit = [](int begin, int end, int areaBegin, int areaEnd, int& outBegin,
                        int& outEnd) {
        const int size = std::min(end - begin, areaEnd - areaBegin);
        outBegin = std::clamp(begin, areaBegin, std::max(areaBegin, areaEnd - size));
        outEnd = outBegin + size;
    };
    Rect out;
    fit(window.left, window.right, workArea.left, workArea.right, out.left, out.right);
    fit(window.top, window.bottom, workArea.top, workArea.bottom, out.top, out.bottom);
    return out;
}

Rect logoBounds(const Rect& card) {
    Rect bounds = {card.right, card.bottom, card.left, card.top};
    for (int frame = 0; frame < 28; ++frame) {
        const LogoPulse pulse = logoPulse(frame, card);
        bounds.left = std::min(bounds.left, pulse.x - kLogoHaloMargin);
        bounds.top = std::min(bounds.top, pulse.y - kLogoHaloMargin);
        bounds.right = std::max(bounds.right, pulse.x + pulse.side + kLogoHaloMargin);
        bounds.bottom = std::max(bounds.bottom, pulse.y + pulse.side + kLogoHaloMargin);
    }
    return bounds;
}

} // namespace corvanta
