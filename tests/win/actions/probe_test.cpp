#include "fixture.h"

#include "media/probe.h"
#include "shell/ids.h"
#include "shell/window.h"

#include <regex>

using namespace corvanta;
using cvtest::ActionsTest;
using cvtest::Response;

class ProbeTest : public ActionsTest {
  protected:
    // Presses LiveKit and waits for the report.
    std::wstring probe() {
        window->command(ID_BTN_LIVEKIT);
        EXPECT_TRUE(
            window->pumpUntil([] { return g_app.statusText == L"LiveKit Probe abgeschlossen."; }));
        return window->output();
    }
    void TearDown() override {
        window->pumpUntil([] { return !g_liveKitProbeRunning.load(); }, 5000);
        ActionsTest::TearDown();
    }
};

TEST_F(ProbeTest, RoomAndQueryRules) {
    server.setHandler([](const cvtest::Request&) { return Response{200, R"({"token":"t"})"}; });
    setText(g_app.editUser, L"team blau");
    probe();
    EXPECT_EQ(server.requests().back().target(),
              "/api/livekit/host-token?room=team_blau&username=team%20blau");
    EXPECT_FALSE(server.requests().back().header("Authorization").has_value());

    setText(g_app.editUser, L"");
    setText(g_app.editRoom, L"");
    probe();
    const std::string target = server.requests().back().target();
    EXPECT_TRUE(
        std::regex_match(target, std::regex(R"(/api/livekit/host-token\?room=native_win_\d{9,})")))
        << target;

    setText(g_app.editUser, L"demo@corvanta.test");
    setText(g_app.editRoom, L"Lobby 1");
    signIn("held");
    probe();
    EXPECT_EQ(server.requests().back().target(),
              "/api/livekit/host-token?room=Lobby%201&username=demo%40corvanta.test");
    EXPECT_EQ(server.requests().back().header("Authorization").value_or(""), "Bearer held");
}

TEST_F(ProbeTest, StartTextAndSuccessReportLineByLine) {
    Response held{200,
                  R"({"token":"SECRET-T","url":"wss://media.test","room":"r1","identity":"demo"})"};
    held.holdUntilReleased = true;
    server.respond(held);
    setText(g_app.editUser, L"demo");
    window->command(ID_BTN_LIVEKIT);
    EXPECT_EQ(window->output(), L"Native LiveKit Probe startet...\r\n\r\n"
                                L"1. Host-Token via /api/livekit/host-token holen\r\n"
                                L"2. Mit LiveKit C++ SDK verbinden, falls einkompiliert\r\n"
                                L"3. Synthetisches Audio+Video fuer 120 Sekunden publishen\r\n\r\n"
                                L"Kein WebView, kein Browser, kein app.html.");
    EXPECT_EQ(g_app.statusText, L"LiveKit Probe: Host-Token wird geholt.");
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    server.release();
    ASSERT_TRUE(
        window->pumpUntil([] { return g_app.statusText == L"LiveKit Probe abgeschlossen."; }));
    EXPECT_EQ(window->output(),
              L"Corvanta Native LiveKit Probe\r\n"
              L"=============================\r\n\r\n"
              L"Token Request: /api/livekit/host-token?room=demo&username=demo\r\n"
              L"HTTP Status: 200\r\n\r\n"
              L"Token: empfangen\r\n"
              L"LiveKit URL: wss://media.test\r\n"
              L"Room: r1\r\n"
              L"Identity: demo\r\n\r\n"
              L"SDK einkompiliert: nein\r\n"
              L"Verbunden: nein\r\n"
              L"Audio published: nein\r\n"
              L"Video published: nein\r\n\r\n"
              L"Host-Token wurde geholt, aber diese EXE ist ohne LiveKit C++ SDK gebaut. Fuer "
              L"echtes natives Audio/Video mit MSVC bauen und -DCORVANTA_ENABLE_LIVEKIT=ON "
              L"-DCORVANTA_LIVEKIT_SDK_DIR=<sdk> setzen. Room=r1, Identity=demo.");
    EXPECT_EQ(liveLiveKitResults(), 0);
}

TEST_F(ProbeTest, PartialErrorAndFailedAnswers) {
    setText(g_app.editUser, L"");
    setText(g_app.editRoom, L"Lobby 1");
    server.respond({200, R"({"token":"only","roomId":"fallback-id"})"});
    std::wstring out = probe();
    EXPECT_NE(out.find(L"Token: empfangen\r\nLiveKit URL: \r\nRoom: fallback-id\r\nIdentity: \r\n"),
              std::wstring::npos);
    EXPECT_EQ(out.find(L"only"), std::wstring::npos);

    server.respond({200, R"({"token":"only"})"});
    out = probe();
    EXPECT_NE(out.find(L"Room: Lobby 1\r\n"), std::wstring::npos);

    server.respond({403, R"({"error":"verboten","token":"LEAKED","apiSecret":"S"})"});
    out = probe();
    EXPECT_NE(
        out.find(
            L"HTTP Status: 403\r\n\r\nToken Endpoint hat nicht erfolgreich geantwortet:\r\n"
            L"{\"error\":\"verboten\",\"token\":\"[redacted]\",\"apiSecret\":\"[redacted]\"}\r\n"),
        std::wstring::npos);
    EXPECT_EQ(out.find(L"LEAKED"), std::wstring::npos);
    EXPECT_EQ(out.find(L"SDK einkompiliert"), std::wstring::npos);

    setBackendOrigin(L"http://127.0.0.1:" + std::to_wstring(cvtest::unusedLoopbackPort()));
    out = probe();
    EXPECT_EQ(out.substr(out.find(L"HTTP Status")),
              L"HTTP Status: 0\r\n\r\nFehler: HTTP Request fehlgeschlagen.\r\n");
}

TEST_F(ProbeTest, OneProbeAtATime) {
    Response held{200, R"({"token":"t"})"};
    held.holdUntilReleased = true;
    server.respond(held);
    window->command(ID_BTN_LIVEKIT);
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    window->command(ID_BTN_LIVEKIT);
    EXPECT_EQ(window->output(), L"LiveKit Probe laeuft bereits. Bitte warten.");
    EXPECT_EQ(g_app.statusText, L"LiveKit Probe: Host-Token wird geholt.");
    server.release();
    ASSERT_TRUE(
        window->pumpUntil([] { return g_app.statusText == L"LiveKit Probe abgeschlossen."; }));
    EXPECT_EQ(server.requestCount(), 1u);
    server.respond({200, R"({"token":"t"})"});
    probe();
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(ProbeTest, AProbeThatCannotStartReleasesTheFlag) {
    for (const auto starter : {cvtest::failingStarter, cvtest::oddlyFailingStarter}) {
        setWorkerStarterForTests(starter);
        window->command(ID_BTN_LIVEKIT);
        EXPECT_FALSE(g_liveKitProbeRunning.load());
        const std::wstring out = window->output();
        const std::wstring tail = L"Fehler: Probe konnte nicht gestartet werden.";
        ASSERT_GE(out.size(), tail.size());
        EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
        EXPECT_EQ(g_app.statusText, L"LiveKit Probe: Probe konnte nicht gestartet werden.");
    }
    setWorkerStarterForTests(nullptr);
    server.respond({200, R"({"token":"t"})"});
    probe();
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(ProbeTest, AReportForADestroyedWindowIsFreed) {
    Response held{200, R"({"token":"t"})"};
    held.holdUntilReleased = true;
    server.respond(held);
    window->command(ID_BTN_LIVEKIT);
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    window.reset();
    server.release();
    const DWORD end = GetTickCount() + 10000;
    while ((g_liveKitProbeRunning.load() || liveLiveKitResults() != 0) && GetTickCount() < end) {
        Sleep(10);
    }
    EXPECT_EQ(liveLiveKitResults(), 0);
    EXPECT_FALSE(g_liveKitProbeRunning.load());
    window = std::make_unique<cvtest::MainWindow>();
}
