#include "fixture.h"

#include "actions/actions.h"
#include "shell/ids.h"
#include "shell/window.h"

using namespace corvanta;
using cvtest::ActionsTest;
using cvtest::Response;

class CommunityTest : public ActionsTest {
protected:
    void SetUp() override {
        ActionsTest::SetUp();
        server.setHandler([](const cvtest::Request&) { return Response{200, "{}"}; });
        signIn("tok");
    }
    // Presses a button and returns the one request it sent (empty when none was sent).
    cvtest::Request press(int id) {
        const std::size_t before = server.requestCount();
        setOutput(L"");
        window->command(id);
        if (!window->pumpUntil([&] { return server.requestCount() > before; }, 300)) {
            return {};
        }
        waitForOutput(L"Antwort:");
        return server.requests().back();
    }
};

TEST_F(CommunityTest, RefreshOnEveryScreen) {
    struct Row {
        Screen screen;
        const char* target;
        const wchar_t* label;
        bool auth;
    };
    const Row rows[] = {
        {Screen::Orbital, "/api/app/bootstrap", L"Orbital", true},
        {Screen::Community, "/api/communities/6/progression", L"Community Progression", true},
        {Screen::Live, "/api/rooms/social", L"Live", false},
        {Screen::Trevacast, "/api/streams/live", L"Trevacast", true},
        {Screen::DirectMessages, "/api/dm/conversations", L"Direct Messages", true},
        {Screen::Studio, "/api/restream-targets", L"Studio", true},
        {Screen::Profile, "/api/auth/me", L"Profil", true},
        {Screen::Wallet, "/api/me/wallet", L"Wallet", true},
        {Screen::Assets, "/api/stream/gift-catalog", L"Assets", true},
        {Screen::Settings, "/api/auth/me", L"Einstellungen", true},
    };
    for (const auto& row : rows) {
        setScreen(row.screen);
        setOutput(L"");
        const std::size_t before = server.requestCount();
        doRefresh();
        EXPECT_EQ(g_app.statusText, std::wstring(L"Request laeuft: ") + row.label);
        ASSERT_TRUE(waitForRequests(before + 1));
        ASSERT_TRUE(waitForOutput(L"Antwort:"));
        const auto req = server.requests().back();
        EXPECT_EQ(req.method(), "GET");
        EXPECT_EQ(req.target(), row.target);
        EXPECT_EQ(req.header("Authorization").has_value(), row.auth) << row.target;
        if (row.auth) {
            EXPECT_EQ(*req.header("Authorization"), "Bearer tok");
        }
        EXPECT_EQ(req.body, "");
        EXPECT_EQ(g_app.statusText, L"Letzter Request: HTTP 200");
    }
}

TEST_F(CommunityTest, SyncSwitchesToCommunityAndValidatesTheId) {
    setScreen(Screen::Wallet);
    setText(g_app.editCommunityId, L"");
    EXPECT_TRUE(press(ID_BTN_COMMUNITY_LOAD).requestLine.empty());
    EXPECT_EQ(g_app.screen, Screen::Community);
    EXPECT_EQ(window->output(), L"Bitte Community-ID eingeben.");
    setText(g_app.editCommunityId, L"9");
    setScreen(Screen::Live);
    const auto req = press(ID_BTN_COMMUNITY_LOAD);
    EXPECT_EQ(g_app.screen, Screen::Community);
    EXPECT_EQ(req.target(), "/api/communities/9/progression");
    EXPECT_EQ(req.header("Authorization").value_or(""), "Bearer tok");
}

TEST_F(CommunityTest, TitleRejectionsAndBody) {
    const std::wstring hint = L"Community-ID und freigeschalteten Titel eingeben.";
    EXPECT_TRUE(press(ID_BTN_COMMUNITY_TITLE).requestLine.empty()); // still "Titel"
    EXPECT_EQ(window->output(), hint);
    setText(g_app.editTitle, L"");
    EXPECT_TRUE(press(ID_BTN_COMMUNITY_TITLE).requestLine.empty());
    setText(g_app.editTitle, L"Held");
    setText(g_app.editCommunityId, L"");
    EXPECT_TRUE(press(ID_BTN_COMMUNITY_TITLE).requestLine.empty());
    EXPECT_EQ(window->output(), hint);
    setText(g_app.editCommunityId, L"6");
    auto req = press(ID_BTN_COMMUNITY_TITLE);
    EXPECT_EQ(req.requestLine, "POST /api/communities/6/progression/title HTTP/1.1");
    EXPECT_EQ(req.body, R"({"title":"Held"})");
    EXPECT_EQ(req.header("Content-Type").value_or(""), "application/json");
    setText(g_app.editTitle, L"titel");
    EXPECT_EQ(press(ID_BTN_COMMUNITY_TITLE).body, R"({"title":"titel"})");
    setText(g_app.editTitle, L"Titel ");
    EXPECT_EQ(press(ID_BTN_COMMUNITY_TITLE).body, R"({"title":"Titel "})");
    setText(g_app.editTitle, L"Der \"Gro\u00DFe\"");
    EXPECT_EQ(press(ID_BTN_COMMUNITY_TITLE).body, "{\"title\":\"Der \\\"Gro\xC3\x9F" "e\\\"\"}");
}

TEST_F(CommunityTest, ClanCreateAndJoin) {
    EXPECT_TRUE(press(ID_BTN_COMMUNITY_CLAN_CREATE).requestLine.empty()); // "Clan Name"
    EXPECT_EQ(window->output(), L"Community-ID und Clan-Name eingeben.");
    setText(g_app.editClanName, L"Nord");
    auto req = press(ID_BTN_COMMUNITY_CLAN_CREATE);
    EXPECT_EQ(req.requestLine, "POST /api/communities/6/clans HTTP/1.1");
    EXPECT_EQ(req.body, R"({"name":"Nord","description":"","avatar_color":"#00a3ff"})");
    EXPECT_EQ(g_app.statusText, L"Letzter Request: HTTP 200");

    EXPECT_TRUE(press(ID_BTN_COMMUNITY_CLAN_JOIN).requestLine.empty()); // "Clan ID"
    EXPECT_EQ(window->output(), L"Clan-ID eingeben.");
    setText(g_app.editClanId, L"");
    EXPECT_TRUE(press(ID_BTN_COMMUNITY_CLAN_JOIN).requestLine.empty());
    setText(g_app.editClanId, L"42");
    req = press(ID_BTN_COMMUNITY_CLAN_JOIN);
    EXPECT_EQ(req.requestLine, "POST /api/community-clans/42/join HTTP/1.1");
    EXPECT_EQ(req.body, "{}");
    EXPECT_EQ(req.header("Authorization").value_or(""), "Bearer tok");
}

TEST_F(CommunityTest, IdsCannotReachOtherPaths) {
    const std::pair<const wchar_t*, const char*> ids[] = {
        {L"6/../../admin", "/api/communities/6%2F..%2F..%2Fadmin/progression"},
        {L"6?x=1", "/api/communities/6%3Fx%3D1/progression"},
        {L"6#", "/api/communities/6%23/progression"},
        {L"6 ", "/api/communities/6%20/progression"},
        {L"..", "/api/communities/%2E%2E/progression"},
        {L"a-_Z9", "/api/communities/a-_Z9/progression"},
        {L"\u00E4", "/api/communities/%C3%A4/progression"},
    };
    for (const auto& [id, target] : ids) {
        setText(g_app.editCommunityId, id);
        EXPECT_EQ(press(ID_BTN_COMMUNITY_LOAD).target(), target);
    }
    setText(g_app.editClanId, L"42/../7");
    EXPECT_EQ(press(ID_BTN_COMMUNITY_CLAN_JOIN).target(), "/api/community-clans/42%2F..%2F7/join");
}
