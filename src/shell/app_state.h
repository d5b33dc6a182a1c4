// The one record of shell state, owned by the GUI thread.
#pragma once
#include "shell/screens.h"

#include <windows.h>

#include <string>

namespace corvanta {

struct AppState {
    HWND hwnd = nullptr;
    HWND navOrbital = nullptr, navSpeech = nullptr, navLive = nullptr, navTrevacast = nullptr,
         navDm = nullptr, navWallet = nullptr, navProfile = nullptr, navAssets = nullptr,
         navSettings = nullptr, navStudio = nullptr;
    HWND editUser = nullptr, editPass = nullptr, editRoom = nullptr, editCommunityId = nullptr,
         editTitle = nullptr, editClanName = nullptr, editClanId = nullptr;
    HWND btnLogin = nullptr, btnRefresh = nullptr, btnLiveKit = nullptr,
         btnCommunityLoad = nullptr, btnCommunityTitle = nullptr,
         btnCommunityClanCreate = nullptr, btnCommunityClanJoin = nullptr, btnLogout = nullptr,
         btnTrevacast = nullptr, btnStartCommunity = nullptr, btnStartTrevacast = nullptr;
    HWND output = nullptr;
    HFONT fontBody = nullptr, fontTitle = nullptr, fontSmall = nullptr, fontHero = nullptr,
          fontMono = nullptr;
    HBRUSH surfaceBrush = nullptr;
    COLORREF surfaceBrushColor = 0; // what surfaceBrush was made from
    Screen screen = Screen::Community;
    Screen startScreen = Screen::Community;
    bool showLogin = true;
    bool loginBusy = false;
    int logoFrame = 0;
    std::string token;
    std::wstring loginMessage = L"Bitte mit deinem Corvanta Account einloggen.";
    std::wstring statusText = L"Login erforderlich.";
};

extern AppState g_app;

// Replaces the output box text.
void setOutput(const std::wstring& text);
// Rebuilds the current screen's intro report into the output box.
void refreshIntro();
// Every change of the login card's message goes through here: a screen reader hears it as the
// Login button's description.
void setLoginMessage(const std::wstring& message);

} // namespace corvanta
