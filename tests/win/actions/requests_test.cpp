#include "fixture.h"

#include "actions/actions.h"
#include "backend/requests.h"
#include "media/probe.h"
#include "shell/ids.h"
#include "shell/window.h"

using namespace corvanta;
using cvtest::ActionsTest;
using cvtest::LoopbackServer;
using cvtest::Response;

TEST_F(ActionsTest, GenericCompletionShowsStatusAndReport) {
    signIn();
    server.respond({200, R"({"balance":12440,"accessToken":"leak"})"});
    runHttpAsync(L"Wallet", L"GET", L"/api/me/wallet", "", true);
    EXPECT_EQ(g_app.statusText, L"Request laeuft: Wallet");
    EXPECT_NE(window->output().find(L"  Request laeuft: Wallet"), std::wstring::npos);
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    EXPECT_EQ(g_app.statusText, L"Letzter Request: HTTP 200");
    const std::wstring out = window->output();
    EXPECT_NE(out.find(L"GET " + server.origin() + L"/api/me/wallet"), std::wstring::npos);
    EXPECT_NE(out.find(L"\"accessToken\":\"[redacted]\""), std::wstring::npos);
    EXPECT_EQ(out.find(L"leak"), std::wstring::npos);
    EXPECT_EQ(out.find(L"Token: empfangen"), std::wstring::npos);
    EXPECT_TRUE(g_app.token == "tok-123"); // a non-login answer's token is not adopted
    EXPECT_EQ(liveHttpCompletions(), 0);
}

TEST_F(ActionsTest, OnlyAnExactLoginRequestIsASignIn) {
    EXPECT_TRUE(isLoginRequest(L"POST", L"/api/auth/login"));
    EXPECT_FALSE(isLoginRequest(L"GET", L"/api/auth/login"));
    EXPECT_FALSE(isLoginRequest(L"POST", L"/api/auth/login?x=1"));
    EXPECT_FALSE(isLoginRequest(L"post", L"/api/auth/login"));
    EXPECT_FALSE(isLoginRequest(L"POST", L"/api/auth/LOGIN"));
    // Neither answer's token is extracted or adopted.
    server.respond({200, R"({"accessToken":"A1"})"});
    server.respond({200, R"({"accessToken":"A2"})"});
    runHttpAsync(L"x", L"GET", L"/api/auth/login", "", false);
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    setOutput(L"");
    runHttpAsync(L"x", L"POST", L"/api/auth/login?x=1", "{}", false);
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    EXPECT_TRUE(g_app.token.empty());
    EXPECT_TRUE(g_app.showLogin);
    EXPECT_EQ(window->output().find(L"Token: empfangen"), std::wstring::npos);
    EXPECT_EQ(server.requests().at(1).target(), "/api/auth/login?x=1");
}

TEST_F(ActionsTest, WithAuthSendsTheHeldTokenOnly) {
    server.setHandler([](const cvtest::Request&) { return Response{200, "{}"}; });
    runHttpAsync(L"a", L"GET", L"/api/me/wallet", "", true); // no token held
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    signIn("abc");
    setOutput(L"");
    runHttpAsync(L"b", L"GET", L"/api/me/wallet", "", true);
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    setOutput(L"");
    runHttpAsync(L"c", L"GET", L"/api/me/wallet", "", false);
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    const auto reqs = server.requests();
    ASSERT_EQ(reqs.size(), 3u);
    EXPECT_FALSE(reqs[0].header("Authorization").has_value());
    EXPECT_EQ(reqs[1].header("Authorization").value_or(""), "Bearer abc");
    EXPECT_FALSE(reqs[2].header("Authorization").has_value());
}

TEST_F(ActionsTest, AnswersInReverseOrderLeaveTheFirstRequestsReport) {
    signIn();
    LoopbackServer slow;
    Response held{200, R"({"first":true})"};
    held.holdUntilReleased = true;
    slow.respond(held);
    server.respond({200, R"({"second":true})"});
    setBackendOrigin(slow.origin());
    runHttpAsync(L"Eins", L"GET", L"/api/app/bootstrap", "", true);
    setBackendOrigin(server.origin());
    runHttpAsync(L"Zwei", L"GET", L"/api/me/wallet", "", true);
    ASSERT_TRUE(waitForOutput(L"\"second\""));
    ASSERT_TRUE(slow.waitForRequests(1, 5000));
    slow.release();
    ASSERT_TRUE(waitForOutput(L"\"first\""));
    EXPECT_EQ(window->output().find(L"\"second\""), std::wstring::npos);
    EXPECT_NE(window->output().find(slow.origin() + L"/api/app/bootstrap"), std::wstring::npos);
}

TEST_F(ActionsTest, ResultsForADestroyedWindowAreFreed) {
    Response held{200, "{}"};
    held.holdUntilReleased = true;
    server.respond(held);
    server.respond(held);
    signIn();
    runHttpAsync(L"a", L"GET", L"/api/me/wallet", "", true);
    runHttpAsync(L"b", L"GET", L"/api/me/wallet", "", true);
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    // Both workers hold their record while they wait.
    EXPECT_TRUE(window->pumpUntil([] { return liveHttpCompletions() == 2; }, 5000));
    window.reset(); // the main window is gone before the answers arrive
    server.release();
    const DWORD end = GetTickCount() + 10000;
    while (liveHttpCompletions() != 0 && GetTickCount() < end) {
        Sleep(10);
    }
    EXPECT_EQ(liveHttpCompletions(), 0);
    EXPECT_EQ(server.requestCount(), 2u);
    window = std::make_unique<cvtest::MainWindow>();
}

// One user's answers never reach the next user's screen.
TEST_F(ActionsTest, AnswersStartedBeforeALogoutAreDropped) {
    Response held{200, R"({"messages":["fuer den ersten Nutzer"],"token":"t"})"};
    held.holdUntilReleased = true;
    server.setHandler([held](const cvtest::Request&) { return held; });
    signIn("first");
    window->command(ID_NAV_DM);
    window->command(ID_BTN_REFRESH);
    window->command(ID_BTN_LIVEKIT);
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    window->command(ID_BTN_LOGOUT);
    signIn("second");
    setOutput(L"zweiter Nutzer");
    const std::wstring status = g_app.statusText;
    server.release();
    ASSERT_TRUE(window->pumpUntil([this] {
        return server.requestCount() == 2 && !g_liveKitProbeRunning.load() &&
               liveHttpCompletions() == 0 && liveLiveKitResults() == 0;
    }));
    window->pump(100);
    EXPECT_EQ(window->output(), L"zweiter Nutzer");
    EXPECT_EQ(g_app.statusText, status);
    EXPECT_EQ(g_app.token, "second");
}

TEST_F(ActionsTest, AThreadThatCannotStartGivesAnOrdinaryFailureReport) {
    signIn();
    setWorkerStarterForTests(cvtest::failingStarter);
    runHttpAsync(L"Wallet", L"GET", L"/api/me/wallet", "", true);
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    EXPECT_EQ(g_app.statusText,
              L"Letzter Request: HTTP 0 (Request konnte nicht gestartet werden.)");
    const std::wstring out = window->output();
    EXPECT_NE(out.find(L"Status: 0\r\nFehler: Request konnte nicht gestartet werden.\r\n"),
              std::wstring::npos);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(liveHttpCompletions(), 0);
}

TEST_F(ActionsTest, TheWindowAnswersWhileARequestStalls) {
    signIn();
    Response slow{200, "{}"};
    slow.delayMs = 3000;
    server.respond(slow);
    runHttpAsync(L"Wallet", L"GET", L"/api/me/wallet", "", true);
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    // A second thread asks the window; the GUI thread keeps pumping.
    std::atomic<bool> answered{false};
    std::thread probe([&] {
        DWORD_PTR result = 0;
        answered =
            SendMessageTimeoutW(g_app.hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &result) != 0;
    });
    window->pumpUntil([&] { return answered.load(); }, 1000);
    probe.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(window->output().find(L"Antwort:"), std::wstring::npos); // still waiting
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
}

TEST_F(ActionsTest, OriginFromTheEnvironment) {
    const std::wstring origin = server.origin();
    SetEnvironmentVariableW(L"CORVANTA_ORIGIN", origin.c_str());
    setBackendOrigin(L"https://elsewhere.invalid");
    applyOriginFromEnvironment();
    EXPECT_EQ(backendOrigin(), origin);
    EXPECT_EQ(g_app.loginMessage, L"Bitte mit deinem Corvanta Account einloggen.");
    signIn();
    server.respond({200, R"({"ok":1})"});
    g_app.screen = Screen::Wallet;
    doRefresh();
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    EXPECT_NE(window->output().find(L"GET " + origin + L"/api/me/wallet"), std::wstring::npos);
    EXPECT_EQ(server.requests().at(0).target(), "/api/me/wallet");

    for (const wchar_t* bad : {L"ftp://127.0.0.1", L"http://example.com", L"https://a.b/"}) {
        SetEnvironmentVariableW(L"CORVANTA_ORIGIN", bad);
        g_app.loginMessage = L"x";
        applyOriginFromEnvironment();
        EXPECT_EQ(backendOrigin(), contract::kOrigin) << bad;
        EXPECT_EQ(g_app.loginMessage, L"CORVANTA_ORIGIN ist ungueltig und wird ignoriert.");
    }
    SetEnvironmentVariableW(L"CORVANTA_ORIGIN", nullptr);
    g_app.loginMessage = L"x";
    applyOriginFromEnvironment();
    EXPECT_EQ(backendOrigin(), contract::kOrigin);
    EXPECT_EQ(g_app.loginMessage, L"x");
    setBackendOrigin(server.origin());
}
