#include "backend/contract.h"
#include "shell/screens.h"

#include <gtest/gtest.h>

#include <vector>

using namespace corvanta;

namespace {

std::vector<std::wstring> splitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(L"\r\n", start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) {
            return lines;
        }
        start = end + 2;
    }
}

} // namespace

TEST(Screens, TablesPerScreen) {
    struct Row {
        Screen screen;
        const wchar_t* title;
        const wchar_t* endpoint;
        const wchar_t* channel;
    };
    const Row rows[] = {
        {Screen::Orbital, L"Orbital", L"/api/app/bootstrap", L"# orbit-feed"},
        {Screen::Community, L"Community", L"/api/communities", L"# community-table"},
        {Screen::Live, L"Live", L"/api/rooms/social", L"# live-now"},
        {Screen::Trevacast, L"Trevacast", L"/api/streams/live", L"# trevacast-studio"},
        {Screen::DirectMessages, L"Direct Messages", L"/api/dm/conversations", L"# direct-messages"},
        {Screen::Studio, L"Studio", L"/api/restream-targets", L"# creator-studio"},
        {Screen::Profile, L"Profil", L"/api/auth/me", L"# mein-universum"},
        {Screen::Wallet, L"Wallet", L"/api/me/wallet", L"# wallet-balance"},
        {Screen::Assets, L"Assets", L"/api/stream/gift-catalog", L"# gifts-assets"},
        {Screen::Settings, L"Einstellungen", L"/api/auth/me", L"# settings-trust"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(screenTitle(row.screen), row.title);
        EXPECT_EQ(endpointForScreen(row.screen), row.endpoint);
        EXPECT_EQ(channelLabel(row.screen), row.channel);
        EXPECT_FALSE(modeHint(row.screen).empty());
    }
    EXPECT_EQ(modeHint(Screen::Profile), L"Profil und Creator-Identitaet.");
    EXPECT_EQ(modeHint(Screen::Wallet), L"Credits, Funken, Runen, Payout und Creator-Oekonomie.");
}

TEST(Screens, ValuesOutsideTheRangeGetTheFallbackRow) {
    for (int value : {10, 11, 1000, -1, -10, static_cast<int>(0x80000000u)}) {
        const auto s = static_cast<Screen>(value);
        EXPECT_EQ(screenTitle(s), L"Corvanta");
        EXPECT_EQ(endpointForScreen(s), L"/api/app/bootstrap");
        EXPECT_EQ(channelLabel(s), L"# corvanta");
        EXPECT_EQ(modeHint(s), L"");
    }
}

TEST(IntroReport, EveryScreenLineByLine) {
    for (int value = -1; value <= 10; ++value) {
        const auto s = static_cast<Screen>(value);
        const auto text = introReport(s, L"Login erforderlich.");
        const auto lines = splitLines(text);
        ASSERT_EQ(lines.size(), 20u);
        EXPECT_EQ(lines[0], channelLabel(s));
        EXPECT_EQ(lines[1], std::wstring(20, L'='));
        EXPECT_EQ(lines[2], L"");
        EXPECT_EQ(lines[3], modeHint(s));
        EXPECT_EQ(lines[4], L"");
        EXPECT_EQ(lines[5], L"Status");
        EXPECT_EQ(lines[6], L"  Login erforderlich.");
        EXPECT_EQ(lines[7], L"");
        EXPECT_EQ(lines[8], L"Corvanta Features in dieser Desktop-Shell");
        EXPECT_EQ(lines[9], L"  - Creator-Universum: Orbit Feed, Profil, Shop und Analytics als Hub");
        EXPECT_EQ(lines[10], L"  - Community: Discord-like Communities, Channels, Table, PTT und Rollen");
        EXPECT_EQ(lines[11], L"  - Live: Host-/Watch-Vertraege plus native LiveKit-Probe");
        EXPECT_EQ(lines[12], L"  - Trevacast: OBS-artiger Studio-Tab mit optionalem Extra-Fenster");
        EXPECT_EQ(lines[13], L"  - Monetarisierung: Wallet, Balance, Gifts und Assets server-autoritativ");
        EXPECT_EQ(lines[14], L"  - Studio: Mixforge, Restream, OBS/Overlay und Creator-Werkzeuge getrennt");
        EXPECT_EQ(lines[15], L"");
        EXPECT_EQ(lines[16], L"Native Refresh ruft aktuell diesen Contract ab:");
        EXPECT_EQ(lines[17], endpointForScreen(s));
        EXPECT_EQ(lines[18], L"");
        EXPECT_EQ(lines[19],
                  L"Desktop-Status: Native Win32 API-Shell. Media/Realtime-Parity bleibt sichtbar "
                  L"getrennt, solange der Windows-Build ohne echte LiveKit-/Socket.IO-Media laeuft.");
        // No bare LF or CR anywhere, and no final line end.
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\r') {
                ASSERT_EQ(text.at(i + 1), L'\n');
            }
            if (text[i] == L'\n') {
                ASSERT_EQ(text.at(i - 1), L'\r');
            }
        }
        EXPECT_EQ(text.back(), L'.');
    }
}

TEST(Contract, PathsStartWithSlashAndOriginHasNoTrailingSlash) {
    namespace api = contract::api;
    const std::wstring origin = contract::kOrigin;
    EXPECT_EQ(origin.rfind(L"https://", 0), 0u);
    EXPECT_NE(origin.back(), L'/');
    EXPECT_EQ(origin.find(L'/', 8), std::wstring::npos);
    EXPECT_EQ(origin.find(L':', 8), std::wstring::npos);
    for (const wchar_t* path :
         {api::kAuthLogin, api::kAuthMe, api::kBootstrap, api::kCommunities, api::kLiveStreams,
          api::kSocialRooms, api::kDmConversations, api::kWallet, api::kGiftCatalog,
          api::kLiveKitHostToken, api::kTurnCredentials, api::kCommunityTableTokenPrefix,
          api::kRestreamTargets, api::kCommunityClanJoinPrefix}) {
        const std::wstring p = path;
        EXPECT_EQ(p.front(), L'/');
        EXPECT_EQ((origin + p).find(L"//", 8), std::wstring::npos);
    }
}
