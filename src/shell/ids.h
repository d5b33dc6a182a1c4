// Control ids, private messages, timer id and the window size limits. Pure code.
#pragma once
#include <cstdint>

namespace corvanta {

constexpr unsigned WM_CV_HTTP_DONE = 0x8001;    // WM_APP + 1, lParam: heap HttpResult
constexpr unsigned WM_CV_LIVEKIT_DONE = 0x8002; // WM_APP + 2, lParam: heap LiveKitUiResult
constexpr unsigned WM_CV_SESSION_DONE = 0x8003; // WM_APP + 3, no record: a session write ended
constexpr std::uintptr_t ID_TIMER_LOGO = 4001;
constexpr int kMinWindowWidth = 1180;
constexpr int kMinWindowHeight = 720;

constexpr int ID_NAV_ORBITAL = 1001;
constexpr int ID_NAV_SPEECH = 1002;
constexpr int ID_NAV_LIVE = 1003;
constexpr int ID_NAV_WALLET = 1004;
constexpr int ID_NAV_PROFILE = 1005;
constexpr int ID_NAV_STUDIO = 1006;
constexpr int ID_NAV_ASSETS = 1007;
constexpr int ID_NAV_SETTINGS = 1008;
constexpr int ID_NAV_DM = 1009;
constexpr int ID_NAV_TREVACAST = 1010;

constexpr int ID_EDIT_USER = 2001;
constexpr int ID_EDIT_PASS = 2002;
constexpr int ID_BTN_LOGIN = 2003;
constexpr int ID_BTN_REFRESH = 2004;
constexpr int ID_EDIT_ROOM = 2005;
constexpr int ID_BTN_LIVEKIT = 2006;
constexpr int ID_EDIT_COMMUNITY_ID = 2007;
constexpr int ID_EDIT_TITLE = 2008;
constexpr int ID_EDIT_CLAN_NAME = 2009;
constexpr int ID_EDIT_CLAN_ID = 2010;
constexpr int ID_BTN_COMMUNITY_LOAD = 2011;
constexpr int ID_BTN_COMMUNITY_TITLE = 2012;
constexpr int ID_BTN_COMMUNITY_CLAN_CREATE = 2013;
constexpr int ID_BTN_COMMUNITY_CLAN_JOIN = 2014;
constexpr int ID_BTN_LOGOUT = 2015;
constexpr int ID_BTN_TREVACAST = 2016;
constexpr int ID_BTN_START_COMMUNITY = 2017;
constexpr int ID_BTN_START_TREVACAST = 2018;
constexpr int ID_OUTPUT = 3001;

constexpr int kWorkspaceRailWidth = 218;
constexpr int kChannelSidebarWidth = 214;
constexpr int kRightPanelWidth = 316;

} // namespace corvanta
