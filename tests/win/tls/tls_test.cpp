// The real window and the real exchange against TLS servers on loopback, started by
// with_servers.sh: the development backend behind a certificate from the development CA (trusted
// in this Wine prefix), and servers that must be refused before the password leaves.
#include "actions/fixture.h"

#include "actions/actions.h"
#include "backend/http.h"
#include "backend/text_win.h"
#include "session/session.h"
#include "shell/ids.h"

#include <winhttp.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

using namespace corvanta;

namespace {

// The origin a server of with_servers.sh announced; empty when the test runs without it.
std::wstring announced(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? widen(value) : std::wstring();
}

// What reached a refusing server, once its connections have ended (from the ledger server).
struct Seen {
    int connections = -1;
    int handshakes = -1;
    int requests = -1;
};

Seen seenBy(const char* server) {
    const HttpResult answer =
        requestWinHttp(L"GET", announced("CV_TLS_LEDGER") + L"/" + widen(server), "", "");
    Seen seen;
    int open = -1;
    if (answer.status != 200 ||
        std::sscanf(answer.body.c_str(), "connections=%d handshakes=%d requests=%d open=%d",
                    &seen.connections, &seen.handshakes, &seen.requests, &open) != 4 ||
        open != 0) {
        ADD_FAILURE() << "the ledger did not answer for " << server << ": " << answer.body;
    }
    return seen;
}

class TlsTest : public cvtest::ActionsTest {
  protected:
    void SetUp() override {
        ActionsTest::SetUp();
        if (announced("CV_TLS_LEDGER").empty()) {
            GTEST_FAIL()
                << "no TLS servers: run through tests/win/tls/with_servers.sh (ctest does)";
        }
    }

    void login(const std::wstring& origin) {
        setBackendOrigin(origin);
        setText(g_app.editUser, L"demo");
        setText(g_app.editPass, L"corvanta-demo");
        window->command(ID_BTN_LOGIN);
        ASSERT_TRUE(window->pumpUntil([] { return !g_app.loginBusy; }, 60000));
    }
};

} // namespace

TEST_F(TlsTest, TrustedBackendSignsInStoresTheSessionAndRefreshesWithTheToken) {
    const std::wstring origin = announced("CV_TLS_BACKEND");
    login(origin);
    ASSERT_FALSE(g_app.showLogin) << narrow(window->output());
    ASSERT_FALSE(g_app.token.empty());
    settleSessionWrites();
    EXPECT_EQ(secure_session::loadToken(nullptr), g_app.token);

    // The wallet answers 200 only to a valid bearer token.
    window->command(ID_NAV_WALLET);
    window->command(ID_BTN_REFRESH);
    ASSERT_TRUE(waitForOutput(L"Antwort:", 60000));
    const std::wstring report = window->output();
    EXPECT_NE(report.find(L"GET " + origin + L"/api/me/wallet\r\nStatus: 200\r\n"),
              std::wstring::npos)
        << narrow(report);
    EXPECT_NE(report.find(L"\"balance\""), std::wstring::npos);
    EXPECT_EQ(report.find(L"Fehler:"), std::wstring::npos);
}

TEST_F(TlsTest, BadServersAreRefusedBeforeThePasswordLeaves) {
    for (const char* server : {"self-signed", "expired", "other-host", "legacy"}) {
        SCOPED_TRACE(server);
        std::string variable = std::string("CV_TLS_") + server;
        for (char& c : variable) {
            c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        const std::wstring origin = announced(variable.c_str());
        ASSERT_FALSE(origin.empty()) << variable;
        const Seen before = seenBy(server);

        login(origin);
        EXPECT_TRUE(g_app.showLogin);
        EXPECT_TRUE(g_app.token.empty());
        EXPECT_FALSE(sessionFileExists());
        EXPECT_EQ(g_app.loginMessage, L"Login fehlgeschlagen: HTTP Request fehlgeschlagen.");
        const std::wstring report = window->output();
        EXPECT_NE(report.find(L"POST " + origin +
                              L"/api/auth/login\r\nStatus: 0\r\n"
                              L"Fehler: HTTP Request fehlgeschlagen.\r\n"),
                  std::wstring::npos)
            << narrow(report);

        // The client reached the server, and no request arrived over TLS.
        const Seen after = seenBy(server);
        EXPECT_GT(after.connections, before.connections);
        EXPECT_EQ(after.requests, before.requests);
    }
}

// The legacy server is a working TLS 1.0 server with a trusted certificate: a session left at
// the system's protocol defaults does send it a request. So the refusal above is the exchange's.
TEST_F(TlsTest, LegacyServerIsReachableWithTheSystemDefaults) {
    const std::wstring origin = announced("CV_TLS_LEGACY");
    const Seen before = seenBy("legacy");
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    wchar_t host[256] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    ASSERT_TRUE(WinHttpCrackUrl(origin.c_str(), 0, 0, &parts));
    HINTERNET session = WinHttpOpen(L"tls-test", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    HINTERNET connection = WinHttpConnect(session, host, parts.nPort, 0);
    HINTERNET request = WinHttpOpenRequest(connection, L"GET", L"/", nullptr, WINHTTP_NO_REFERER,
                                           WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE);
    const bool answered =
        WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, nullptr, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr);
    const DWORD error = GetLastError();
    WinHttpCloseHandle(request);
    WinHttpCloseHandle(connection);
    WinHttpCloseHandle(session);
    EXPECT_TRUE(answered) << "WinHTTP error " << error;
    EXPECT_EQ(seenBy("legacy").requests, before.requests + 1);
}
