#include "fixture.h"

#include "actions/actions.h"
#include "backend/text_win.h"
#include "session/session.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "shell/window.h"

using namespace corvanta;
using cvtest::ActionsTest;
using cvtest::Response;

namespace {

std::wstring text(HWND control) {
    return getText(control);
}

} // namespace

class LoginTest : public ActionsTest {
  protected:
    // Types the credentials and presses Login; waits until the answer is applied.
    void login(const wchar_t* user, const wchar_t* password, bool wait = true) {
        setText(g_app.editUser, user);
        setText(g_app.editPass, password);
        window->command(ID_BTN_LOGIN);
        if (wait) {
            ASSERT_TRUE(window->pumpUntil([] { return !g_app.loginBusy; }));
            settleSessionWrites();
        }
    }
};

TEST_F(LoginTest, RequestShapeAndBodyEscaping) {
    server.respond({401, R"({"error":"nein"})"});
    login(L"a\"b\\c M\u00FCller", L"p\"w\n\x01");
    const auto reqs = server.requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].requestLine, "POST /api/auth/login HTTP/1.1");
    EXPECT_FALSE(reqs[0].header("Authorization").has_value());
    EXPECT_EQ(reqs[0].header("Content-Type").value_or(""), "application/json");
    EXPECT_EQ(reqs[0].body,
              "{\"identifier\":\"a\\\"b\\\\c M\xC3\xBCller\",\"password\":\"p\\\"w\\n\\u0001\"}");
}

TEST_F(LoginTest, SuccessOpensTheChosenStartScreenAndStoresTheSession) {
    for (int choice : {ID_BTN_START_COMMUNITY, ID_BTN_START_TREVACAST}) {
        const bool studio = choice == ID_BTN_START_TREVACAST;
        window->command(choice);
        server.respond(
            {studio ? 201 : 200, R"({"user":{"name":"demo"},"accessToken":"tok-\u00e4"})"});
        login(L"demo", L"secret");
        EXPECT_FALSE(g_app.showLogin);
        EXPECT_EQ(g_app.screen, studio ? Screen::Trevacast : Screen::Community);
        EXPECT_EQ(g_app.statusText, studio ? L"Login erfolgreich. Start: Trevacast."
                                           : L"Login erfolgreich. Start: Community.");
        EXPECT_EQ(g_app.loginMessage, L"Login erfolgreich.");
        EXPECT_EQ(g_app.token, "tok-\\u00e4"); // raw, escapes left as they are
        EXPECT_EQ(text(g_app.editPass), L"");
        EXPECT_TRUE(IsWindowEnabled(g_app.btnLogin));
        EXPECT_EQ(window->output(), introReport(g_app.screen, g_app.statusText));
        EXPECT_TRUE(cvtest::isShown(g_app.navOrbital));
        EXPECT_FALSE(cvtest::isShown(g_app.editUser));
        std::wstring message = L"kept";
        EXPECT_EQ(secure_session::loadToken(&message), "tok-\\u00e4");
        EXPECT_EQ(message, L"kept");
        doLogout();
    }
}

TEST_F(LoginTest, BusyStateWhileInFlightAndTheBusyGuard) {
    Response held{200, R"({"token":"t"})"};
    held.holdUntilReleased = true;
    server.respond(held);
    login(L"demo", L"pw", false);
    EXPECT_TRUE(g_app.loginBusy);
    EXPECT_FALSE(IsWindowEnabled(g_app.btnLogin));
    EXPECT_EQ(g_app.loginMessage, L"Login wird geprueft ...");
    EXPECT_EQ(g_app.statusText, L"Request laeuft: Login");
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    doLogin(); // ignored while busy
    window->pump(200);
    server.release();
    ASSERT_TRUE(window->pumpUntil([] { return !g_app.loginBusy; }));
    window->pump(200);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(g_app.token, "t");
}

TEST_F(LoginTest, FailuresStayOnTheLoginCard) {
    struct Case {
        Response answer;
        const wchar_t* message;
    };
    const Case cases[] = {
        {{401, R"({"error":"falsch","password":"x"})"}, L"Login fehlgeschlagen (HTTP 401)"},
        // A token in a rejection is no sign-in (a challenge, or a server error page).
        {{403, R"({"error":"mfa_required","token":"geheim-403"})"},
         L"Login fehlgeschlagen (HTTP 403)"},
        {{401, R"({"accessToken":"geheim-401"})"}, L"Login fehlgeschlagen (HTTP 401)"},
        {{500, R"({"jwt":"geheim-500"})"}, L"Login fehlgeschlagen (HTTP 500)"},
        {{302, R"({"token":"geheim-302"})"}, L"Login fehlgeschlagen (HTTP 302)"},
        {{200, R"({"user":"demo"})"}, L"Login fehlgeschlagen (HTTP 200)"},
        {{200, R"({"token":null,"user":"bogus"})"}, L"Login fehlgeschlagen (HTTP 200)"},
        {{200, R"({"type":"token","id":"7"})"}, L"Login fehlgeschlagen (HTTP 200)"},
        // A token that could never be sent in a header is no sign-in either.
        {{200, "{\"accessToken\":\"geheim\r\nX-Injected: 1\"}"},
         L"Login fehlgeschlagen: ungueltiges Token vom Server."},
        {{201, "{\"token\":\"geheim\x01\"}"},
         L"Login fehlgeschlagen: ungueltiges Token vom Server."},
        {{200, "{\"jwt\":\"geheim\x7f\"}"}, L"Login fehlgeschlagen: ungueltiges Token vom Server."},
        // Past ASCII the server would get other bytes back than it wrote ("é", "€" in UTF-8).
        {{200, "{\"token\":\"geheim\xc3\xa9\"}"},
         L"Login fehlgeschlagen: ungueltiges Token vom Server."},
        {{200, "{\"accessToken\":\"geheim\xe2\x82\xac\"}"},
         L"Login fehlgeschlagen: ungueltiges Token vom Server."},
    };
    for (const auto& c : cases) {
        server.respond(c.answer);
        login(L"demo", L"pw");
        EXPECT_EQ(g_app.loginMessage, c.message);
        EXPECT_TRUE(g_app.showLogin);
        EXPECT_TRUE(g_app.token.empty());
        EXPECT_EQ(g_app.statusText, L"Login fehlgeschlagen.");
        EXPECT_EQ(text(g_app.editPass), L"pw");
        EXPECT_TRUE(IsWindowEnabled(g_app.btnLogin));
        EXPECT_FALSE(sessionFileExists());
        EXPECT_NE(window->output().find(L"Status: " + std::to_wstring(c.answer.status)),
                  std::wstring::npos);
        EXPECT_FALSE(cvtest::isShown(g_app.output));
        EXPECT_TRUE(cvtest::isShown(g_app.editUser));
        EXPECT_EQ(window->output().find(L"Token: empfangen"), std::wstring::npos);
        EXPECT_EQ(window->output().find(L"geheim"), std::wstring::npos);
    }
}

TEST_F(LoginTest, TransportFailureAndThreadFailure) {
    setBackendOrigin(L"http://127.0.0.1:" + std::to_wstring(cvtest::unusedLoopbackPort()));
    login(L"demo", L"pw");
    EXPECT_EQ(g_app.loginMessage, L"Login fehlgeschlagen: HTTP Request fehlgeschlagen.");
    EXPECT_TRUE(g_app.showLogin);

    for (const auto starter : {cvtest::failingStarter, cvtest::oddlyFailingStarter}) {
        setWorkerStarterForTests(starter);
        login(L"demo", L"pw");
        EXPECT_EQ(g_app.loginMessage,
                  L"Login fehlgeschlagen: Request konnte nicht gestartet werden.");
        EXPECT_FALSE(g_app.loginBusy);
        EXPECT_TRUE(IsWindowEnabled(g_app.btnLogin));
    }
}

TEST_F(LoginTest, EmptyFieldsSendNothing) {
    for (auto [user, pw] : {std::pair{L"demo", L""}, std::pair{L"", L"pw"}, std::pair{L"", L""}}) {
        g_app.loginMessage = L"";
        login(user, pw, false);
        EXPECT_EQ(g_app.loginMessage, L"Bitte Username/E-Mail und Passwort eingeben.");
        EXPECT_FALSE(g_app.loginBusy);
        EXPECT_TRUE(IsWindowEnabled(g_app.btnLogin));
    }
    window->pump(100);
    EXPECT_EQ(server.requestCount(), 0u);
    // The initial account text counts as an account.
    setText(g_app.editPass, L"pw");
    setText(g_app.editUser, L"username oder email");
    server.respond({401, "{}"});
    window->command(ID_BTN_LOGIN);
    ASSERT_TRUE(window->pumpUntil([] { return !g_app.loginBusy; }));
    EXPECT_NE(server.requests().at(0).body.find("\"identifier\":\"username oder email\""),
              std::string::npos);
}

TEST_F(LoginTest, ALateAnswerAfterLogoutChangesNothing) {
    Response held{200, R"({"accessToken":"late"})"};
    held.holdUntilReleased = true;
    server.respond(held);
    login(L"demo", L"pw", false);
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    doLogout();
    const std::wstring message = g_app.loginMessage;
    server.release();
    // The record lives from the start of the request until its answer has been handled.
    ASSERT_TRUE(window->pumpUntil([] { return liveHttpCompletions() == 0; }));
    EXPECT_TRUE(g_app.showLogin);
    EXPECT_TRUE(g_app.token.empty());
    EXPECT_FALSE(sessionFileExists());
    EXPECT_EQ(g_app.loginMessage, message);
    EXPECT_EQ(g_app.statusText, L"Login erforderlich.");

    // Logout, then a new sign-in: only the new answer counts.
    Response first{200, R"({"accessToken":"old"})"};
    first.delayMs = 800;
    server.respond(first);
    server.respond({200, R"({"accessToken":"new"})"});
    login(L"demo", L"pw", false);
    ASSERT_TRUE(server.waitForRequests(2, 5000));
    doLogout();
    login(L"demo", L"pw");
    ASSERT_TRUE(window->pumpUntil([] { return liveHttpCompletions() == 0; }));
    EXPECT_EQ(g_app.token, "new");
    EXPECT_FALSE(g_app.showLogin);
}

TEST_F(LoginTest, AStoreFailureStillSignsInAndSaysSo) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        // APPDATA below a folder that does not exist: the session folder cannot be created.
        {L"\\missing\\deeper", L"Session-Verzeichnis konnte nicht erstellt werden."},
        // No APPDATA at all: nothing goes to the current folder instead.
        {nullptr, L"Session nicht gespeichert: APPDATA fehlt oder ist zu lang."},
    };
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    SetCurrentDirectoryW(appData.c_str());
    for (const auto& [below, notice] : cases) {
        SetEnvironmentVariableW(L"APPDATA", below ? (appData + below).c_str() : nullptr);
        server.respond({200, R"({"accessToken":"t1"})"});
        login(L"demo", L"pw");
        EXPECT_FALSE(g_app.showLogin);
        EXPECT_EQ(g_app.token, "t1");
        EXPECT_EQ(g_app.statusText,
                  std::wstring(L"Login erfolgreich. Start: Community. Hinweis: ") + notice);
        EXPECT_EQ(GetFileAttributesW(L"session.dpapi"), INVALID_FILE_ATTRIBUTES);
        doLogout();
    }
    SetCurrentDirectoryW(cwd);
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
}

TEST_F(LoginTest, LogoutRestoresTheLoginFormAndDeletesTheSession) {
    window->command(ID_BTN_START_TREVACAST);
    server.respond({200, R"({"accessToken":"t1"})"});
    login(L"demo", L"pw");
    ASSERT_TRUE(sessionFileExists());
    window->command(ID_NAV_WALLET);
    setOutput(L"report");
    window->command(ID_BTN_LOGOUT);
    settleSessionWrites();
    EXPECT_TRUE(g_app.showLogin);
    EXPECT_TRUE(g_app.token.empty());
    EXPECT_FALSE(sessionFileExists());
    EXPECT_EQ(g_app.loginMessage, L"Du bist ausgeloggt. Bitte neu einloggen.");
    EXPECT_EQ(g_app.statusText, L"Login erforderlich.");
    EXPECT_EQ(g_app.screen, Screen::Wallet);
    EXPECT_EQ(g_app.startScreen, Screen::Trevacast);
    EXPECT_EQ(text(g_app.editUser), L"demo");
    EXPECT_EQ(text(g_app.editPass), L"");
    EXPECT_EQ(window->output(), L"report");
    EXPECT_EQ(GetFocus(), g_app.editUser);
    for (int id : {ID_NAV_ORBITAL, ID_NAV_SETTINGS, ID_EDIT_COMMUNITY_ID, ID_BTN_REFRESH,
                   ID_BTN_LOGOUT, ID_OUTPUT, ID_EDIT_ROOM, ID_BTN_LIVEKIT, ID_BTN_TREVACAST}) {
        EXPECT_FALSE(cvtest::isShown(controlForId(id))) << id;
    }
    EXPECT_TRUE(cvtest::isShown(g_app.btnLogin));
}
