#include "shell/geometry.h"
#include "shell/ids.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace corvanta;

namespace {

struct Applied {
    std::map<int, bool> visible;
    std::map<int, Placement> at;
};

// Applies layouts in sequence, like the window does, so moves and visibility carry over.
Applied apply(const std::vector<std::vector<ControlLayout>>& layouts) {
    Applied a;
    for (const auto& steps : layouts) {
        for (const auto& s : steps) {
            if (s.placed) {
                a.at[s.id] = s.at;
            }
            a.visible[s.id] = s.visible;
        }
    }
    return a;
}

const std::set<int> kRail = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010};
const std::set<int> kLoginControls = {ID_EDIT_USER, ID_EDIT_PASS, ID_BTN_LOGIN,
                                      ID_BTN_START_COMMUNITY, ID_BTN_START_TREVACAST};
const std::set<int> kCommunity = {ID_EDIT_COMMUNITY_ID,  ID_BTN_COMMUNITY_LOAD, ID_EDIT_TITLE,
                                  ID_BTN_COMMUNITY_TITLE, ID_EDIT_CLAN_NAME,
                                  ID_BTN_COMMUNITY_CLAN_CREATE, ID_EDIT_CLAN_ID,
                                  ID_BTN_COMMUNITY_CLAN_JOIN};
const std::set<int> kStudio = {ID_EDIT_ROOM, ID_BTN_LIVEKIT, ID_BTN_TREVACAST};

std::set<int> allIds() {
    std::set<int> ids(kRail);
    ids.insert(kLoginControls.begin(), kLoginControls.end());
    ids.insert(kCommunity.begin(), kCommunity.end());
    ids.insert(kStudio.begin(), kStudio.end());
    ids.insert({ID_BTN_REFRESH, ID_BTN_LOGOUT, ID_OUTPUT});
    return ids;
}

std::set<int> visibleIds(const Applied& a) {
    std::set<int> ids;
    for (const auto& [id, v] : a.visible) {
        if (v) {
            ids.insert(id);
        }
    }
    return ids;
}

} // namespace

TEST(Layout, EveryControlIsHandledOnceInEveryState) {
    for (bool login : {true, false}) {
        for (Screen s : {Screen::Community, Screen::Trevacast, Screen::Live}) {
            std::map<int, int> seen;
            for (const auto& step : computeLayout(1304, 781, login, s)) {
                ++seen[step.id];
            }
            EXPECT_EQ(seen.size(), 29u);
            for (const auto& [id, n] : seen) {
                EXPECT_EQ(n, 1) << id;
                EXPECT_TRUE(allIds().count(id)) << id;
            }
        }
    }
}

TEST(Layout, LoginFormWorkedExamples) {
    auto a = apply({computeLayout(1164, 681, true, Screen::Community)});
    EXPECT_EQ(visibleIds(a), kLoginControls);
    EXPECT_EQ(a.at[ID_EDIT_USER], (Placement{370, 294, 424, 32}));
    EXPECT_EQ(a.at[ID_EDIT_PASS], (Placement{370, 344, 424, 32}));
    EXPECT_EQ(a.at[ID_BTN_START_COMMUNITY], (Placement{370, 416, 207, 34}));
    EXPECT_EQ(a.at[ID_BTN_START_TREVACAST], (Placement{587, 416, 207, 34}));
    EXPECT_EQ(a.at[ID_BTN_LOGIN], (Placement{370, 470, 424, 38}));
    EXPECT_EQ(loginCardRect(1164, 681), (Rect{312, 112, 852, 568}));

    a = apply({computeLayout(500, 400, true, Screen::Trevacast)});
    EXPECT_EQ(loginCardRect(500, 400), (Rect{40, 38, 460, 494}));
    EXPECT_EQ(a.at[ID_EDIT_USER], (Placement{98, 220, 304, 32}));
    EXPECT_EQ(a.at[ID_BTN_START_COMMUNITY], (Placement{98, 342, 147, 34}));
    EXPECT_EQ(a.at[ID_BTN_START_TREVACAST], (Placement{255, 342, 147, 34}));
    EXPECT_EQ(a.at.count(ID_OUTPUT), 0u);
}

TEST(Layout, LoginCardClamps) {
    EXPECT_EQ(loginCardRect(600, 700).width(), 480);
    EXPECT_EQ(loginCardRect(540, 700).width(), 420);
    EXPECT_EQ(loginCardRect(2000, 700).width(), 540);
    EXPECT_EQ(loginCardRect(1000, 531).top, 38);
    EXPECT_EQ(loginCardRect(1000, 1000).top, 272);
    EXPECT_EQ(loginCardRect(1000, 1000).height(), 456);
}

TEST(Layout, WorkspaceWideWorkedExample) {
    const auto a = apply({computeLayout(1304, 781, false, Screen::Community)});
    std::set<int> expected(kRail);
    expected.insert(kCommunity.begin(), kCommunity.end());
    expected.insert({ID_BTN_REFRESH, ID_BTN_LOGOUT, ID_OUTPUT});
    EXPECT_EQ(visibleIds(a), expected);
    EXPECT_EQ(a.at.at(ID_OUTPUT), (Placement{1004, 595, 284, 168}));
    EXPECT_EQ(a.at.at(ID_BTN_REFRESH), (Placement{866, 18, 96, 30}));
    EXPECT_EQ(a.at.at(ID_NAV_SETTINGS), (Placement{16, 569, 186, 36}));
    EXPECT_EQ(a.at.at(ID_BTN_LOGOUT), (Placement{30, 719, 158, 28}));
    const int railOrder[] = {ID_NAV_ORBITAL, ID_NAV_SPEECH, ID_NAV_LIVE,  ID_NAV_TREVACAST,
                             ID_NAV_DM,      ID_NAV_STUDIO, ID_NAV_WALLET, ID_NAV_ASSETS,
                             ID_NAV_PROFILE};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(a.at.at(railOrder[i]), (Placement{16, 86 + 43 * i, 186, 36}));
    }
    EXPECT_EQ(a.at.at(ID_EDIT_COMMUNITY_ID), (Placement{230, 372, 58, 26}));
    EXPECT_EQ(a.at.at(ID_BTN_COMMUNITY_LOAD), (Placement{296, 372, 124, 26}));
    EXPECT_EQ(a.at.at(ID_EDIT_TITLE), (Placement{230, 410, 190, 25}));
    EXPECT_EQ(a.at.at(ID_BTN_COMMUNITY_TITLE), (Placement{230, 441, 190, 27}));
    EXPECT_EQ(a.at.at(ID_EDIT_CLAN_NAME), (Placement{230, 481, 190, 25}));
    EXPECT_EQ(a.at.at(ID_BTN_COMMUNITY_CLAN_CREATE), (Placement{230, 512, 190, 27}));
    EXPECT_EQ(a.at.at(ID_EDIT_CLAN_ID), (Placement{230, 550, 190, 25}));
    EXPECT_EQ(a.at.at(ID_BTN_COMMUNITY_CLAN_JOIN), (Placement{230, 581, 190, 27}));
}

TEST(Layout, NarrowAndLowClients) {
    auto a = apply({computeLayout(1179, 781, false, Screen::Wallet)});
    EXPECT_FALSE(a.visible.at(ID_OUTPUT));
    EXPECT_EQ(a.at.count(ID_OUTPUT), 0u);
    // R = W when not wide: Wc = 747, Refresh at 1057.
    EXPECT_EQ(a.at.at(ID_BTN_REFRESH).x, 1057);
    a = apply({computeLayout(1304, 684, false, Screen::Wallet)});
    EXPECT_EQ(a.at.at(ID_NAV_SETTINGS).y, 473);
    a = apply({computeLayout(1304, 685, false, Screen::Wallet)});
    EXPECT_EQ(a.at.at(ID_NAV_SETTINGS).y, 473);
    a = apply({computeLayout(1304, 686, false, Screen::Wallet)});
    EXPECT_EQ(a.at.at(ID_NAV_SETTINGS).y, 474);
    // Below 852 content stops shrinking: Refresh stays at x 730.
    a = apply({computeLayout(800, 700, false, Screen::Wallet)});
    EXPECT_EQ(a.at.at(ID_BTN_REFRESH).x, 730);
    a = apply({computeLayout(1500, 781, false, Screen::Wallet)});
    EXPECT_EQ(a.at.at(ID_BTN_REFRESH).x + 96, 1500 - 316 - 26);
}

TEST(Layout, StudioScreenSwapsStudioControlsAndOutput) {
    auto a = apply({computeLayout(1304, 781, false, Screen::Trevacast)});
    for (int id : kStudio) {
        EXPECT_TRUE(a.visible.at(id)) << id;
    }
    EXPECT_FALSE(a.visible.at(ID_OUTPUT));
    EXPECT_EQ(a.at.at(ID_EDIT_ROOM), (Placement{468, 720, 180, 27}));
    EXPECT_EQ(a.at.at(ID_BTN_LIVEKIT), (Placement{656, 720, 112, 27}));
    EXPECT_EQ(a.at.at(ID_BTN_TREVACAST), (Placement{1146, 720, 126, 27}));

    // Switching away hides the three without moving them and brings the output back.
    a = apply({computeLayout(1304, 781, false, Screen::Trevacast),
               computeLayout(1304, 900, false, Screen::Orbital)});
    for (int id : kStudio) {
        EXPECT_FALSE(a.visible.at(id)) << id;
    }
    EXPECT_EQ(a.at.at(ID_EDIT_ROOM).y, 720);
    EXPECT_TRUE(a.visible.at(ID_OUTPUT));
}

TEST(Layout, SignOutHidesEveryWorkspaceControl) {
    for (Screen s : {Screen::Trevacast, Screen::Wallet, Screen::Settings}) {
        const auto a = apply({computeLayout(1304, 781, false, s), computeLayout(1304, 781, true, s)});
        EXPECT_EQ(visibleIds(a), kLoginControls);
    }
}

TEST(StudioGeometry, ChatColumnAndColumnWidthThresholds) {
    EXPECT_TRUE(studioTabGeometry(432, 1398, 800).showChat);
    EXPECT_EQ(studioTabGeometry(432, 1398, 800).wsW, 930);
    EXPECT_FALSE(studioTabGeometry(432, 1397, 800).showChat);
    const auto noChat = studioTabGeometry(432, 1397, 800);
    EXPECT_EQ(noChat.program.right, 1397 - 34);
    const auto chat = studioTabGeometry(432, 1398, 800);
    EXPECT_EQ(chat.chatColumn, (Rect{1398 - 34 - 246, 232, 1398 - 34, 800 - 104}));
    EXPECT_EQ(chat.program.right, chat.chatColumn.left - 12);
    // colW: 178 up to wsW 715, wsW / 4 from 716 to 943, 236 from 944.
    auto colW = [](int wsW) { return studioTabGeometry(0, wsW + 36, 800).colW; };
    EXPECT_EQ(colW(715), 178);
    EXPECT_EQ(colW(716), 179);
    EXPECT_EQ(colW(943), 235);
    EXPECT_EQ(colW(944), 236);
    EXPECT_EQ(colW(3000), 236);
    EXPECT_EQ(colW(100), 178);
    const auto g = studioTabGeometry(432, 1304, 781);
    EXPECT_EQ(g.workspace, (Rect{450, 166, 1286, 763}));
    EXPECT_EQ(g.innerTop, 232);
    EXPECT_EQ(g.innerBottom, 677);
    EXPECT_EQ(g.leftColumn, (Rect{466, 232, 466 + g.colW, 677}));
    EXPECT_EQ(g.program.left, 432 + g.colW + 46);
}

TEST(StudioGeometry, WindowPanels) {
    const auto p = studioWindowPanels(1000, 700);
    EXPECT_EQ(p.left, (Rect{12, 54, 252, 538}));
    EXPECT_EQ(p.program, (Rect{264, 54, 702, 538}));
    EXPECT_EQ(p.chat, (Rect{714, 54, 988, 538}));
    EXPECT_EQ(p.bottom, (Rect{12, 550, 988, 688}));
}

TEST(LogoPulse, TriangleWaveSizePositionAndColour) {
    const Rect card = loginCardRect(1164, 681); // L 312, T 112, 540 wide
    auto f0 = logoPulse(0, card);
    EXPECT_EQ(f0.side, 72);
    EXPECT_EQ(f0.x, 312 + 234);
    EXPECT_EQ(f0.y, 142);
    EXPECT_EQ(f0.core, rgb(0x12, 0x77, 0xFF));
    auto f14 = logoPulse(14, card);
    EXPECT_EQ(f14.side, 86);
    EXPECT_EQ(f14.y, 112 + 23);
    EXPECT_EQ(f14.x, 312 + 227);
    EXPECT_EQ(f14.core, rgb(0x12, 0xA1, 0xFF));
    auto f13 = logoPulse(13, card), f15 = logoPulse(15, card);
    EXPECT_EQ(f13.side, f15.side);
    EXPECT_EQ(f13.x, f15.x);
    EXPECT_EQ(f13.y, f15.y);
    EXPECT_EQ(f13.core, f15.core);
    EXPECT_EQ(logoPulse(27, card).p, 1);
    EXPECT_EQ(logoPulse(28, card).p, 0);
    for (int frame = 0; frame < 28; ++frame) {
        const auto f = logoPulse(frame, card);
        // Centred on the card and, to half a pixel, on the line T + 66.
        EXPECT_LE(std::abs(2 * f.y + f.side - 2 * (card.top + 66)), 1) << frame;
        EXPECT_LE(std::abs(2 * f.x + f.side - (card.left + card.right)), 1) << frame;
    }
}

TEST(WindowFit, ShrinksAndMovesOnlyWhatDoesNotFit) {
    const struct {
        Rect window, area, fitted;
    } cases[] = {
        {{0, 0, 1320, 820}, {0, 0, 1600, 1000}, {0, 0, 1320, 820}},    // fits: as it is
        {{0, 0, 1320, 820}, {0, 0, 1280, 688}, {0, 0, 1280, 688}},     // both directions
        {{0, 0, 1320, 820}, {0, 0, 1366, 728}, {0, 0, 1320, 728}},     // height only
        {{200, 150, 1520, 970}, {0, 0, 1600, 1000}, {200, 150, 1520, 970}},
        {{400, 300, 1720, 1120}, {0, 0, 1600, 1000}, {280, 180, 1600, 1000}}, // moved back in
        {{0, 0, 1320, 820}, {0, 40, 1024, 600}, {0, 40, 1024, 600}},   // taskbar at the top
        {{-1700, 0, -380, 820}, {-1920, 0, 0, 1040}, {-1700, 0, -380, 820}}, // a left monitor
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fittedWindowRect(c.window, c.area), c.fitted)
            << c.window.left << "," << c.window.top << " on " << c.area.right;
    }
}
