// The exchange against a real loopback server: what goes on the wire and what comes back.
#include "backend/http.h"
#include "backend/text_win.h"

#include "support/loopback_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace corvanta;
using cvtest::LoopbackServer;
using cvtest::Request;
using cvtest::Response;

namespace {

constexpr const char* kSendFailed = "HTTP Request fehlgeschlagen.";
constexpr const char* kBadUrl = "URL konnte nicht gelesen werden.";

std::string nameOf(const std::string& line) {
    return line.substr(0, line.find(':'));
}

std::string lower(std::string s) {
    for (auto& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// The lines this program adds, in the order they arrived.
std::vector<std::string> addedLines(const Request& request) {
    std::vector<std::string> out;
    for (const auto& line : request.headers) {
        const std::string name = lower(nameOf(line));
        if (name == "accept" || name == "content-type" || name == "authorization") {
            out.push_back(line);
        }
    }
    return out;
}

// Everything else must be the service's own bookkeeping, each at most once.
void expectOnlyServiceHeadersBesides(const Request& request, unsigned short port) {
    static const std::set<std::string> own = {"host", "user-agent", "connection", "content-length"};
    std::set<std::string> seen;
    for (const auto& line : request.headers) {
        const std::string name = lower(nameOf(line));
        if (name == "accept" || name == "content-type" || name == "authorization") {
            continue;
        }
        EXPECT_TRUE(own.count(name)) << "unexpected header line: " << line;
        EXPECT_TRUE(seen.insert(name).second) << "repeated header line: " << line;
    }
    EXPECT_EQ(request.header("User-Agent").value_or("<none>"), "CorvantaNativeWin/0.2");
    EXPECT_EQ(request.header("Host").value_or("<none>"), "127.0.0.1:" + std::to_string(port));
}

std::string patterned(std::size_t size) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<char>('!' + (i * 7 + i / 251) % 90);
    }
    return out;
}

bool isPrefix(const std::string& part, const std::string& whole) {
    return part.size() <= whole.size() && whole.compare(0, part.size(), part) == 0;
}

} // namespace

TEST(Exchange, GetWithoutBodyOrTokenAddsOnlyAccept) {
    LoopbackServer srv;
    srv.respond({200, "{\"ok\":true}"});
    const std::wstring url = srv.origin() + L"/api/me/wallet";
    const HttpResult result = requestWinHttp(L"GET", url, "", "");

    EXPECT_EQ(result.request, L"GET " + url);
    EXPECT_EQ(result.status, 200u);
    EXPECT_EQ(result.body, "{\"ok\":true}");
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.token, "");
    EXPECT_FALSE(result.isLogin);

    const auto requests = srv.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET /api/me/wallet HTTP/1.1");
    EXPECT_EQ(addedLines(requests[0]), std::vector<std::string>{"Accept: application/json"});
    expectOnlyServiceHeadersBesides(requests[0], srv.port());
    EXPECT_EQ(requests[0].body, "");
}

TEST(Exchange, PostAddsContentTypeAndTokenAddsAuthorizationAfterIt) {
    LoopbackServer srv;
    srv.respond({200, "{}"});
    srv.respond({200, "{}"});
    srv.respond({200, "{}"});
    const std::wstring url = srv.origin() + L"/api/community-clans/7/join";

    requestWinHttp(L"POST", url, "{}", "");
    requestWinHttp(L"POST", url, "{}", "abc.DEF-123_x");
    requestWinHttp(L"GET", srv.origin() + L"/api/auth/me", "", "abc.DEF-123_x");

    const auto requests = srv.requests();
    ASSERT_EQ(requests.size(), 3u);

    EXPECT_EQ(requests[0].requestLine, "POST /api/community-clans/7/join HTTP/1.1");
    EXPECT_EQ(
        addedLines(requests[0]),
        (std::vector<std::string>{"Accept: application/json", "Content-Type: application/json"}));
    EXPECT_EQ(requests[0].header("Content-Length").value_or("<none>"), "2");
    EXPECT_EQ(requests[0].body, "{}");
    expectOnlyServiceHeadersBesides(requests[0], srv.port());

    EXPECT_EQ(
        addedLines(requests[1]),
        (std::vector<std::string>{"Accept: application/json", "Content-Type: application/json",
                                  "Authorization: Bearer abc.DEF-123_x"}));
    EXPECT_EQ(requests[1].body, "{}");
    expectOnlyServiceHeadersBesides(requests[1], srv.port());

    EXPECT_EQ(requests[2].requestLine, "GET /api/auth/me HTTP/1.1");
    EXPECT_EQ(addedLines(requests[2]),
              (std::vector<std::string>{"Accept: application/json",
                                        "Authorization: Bearer abc.DEF-123_x"}));
    expectOnlyServiceHeadersBesides(requests[2], srv.port());
}

TEST(Exchange, BodyBytesArriveExactly) {
    LoopbackServer srv;
    srv.respond({201, "{}"});
    // Umlauts, a symbol, an emoji (4 bytes), an escaped quote, a NUL and a lone 0xFF: bytes,
    // not text, so nothing may be converted on the way.
    std::string body = "{\"title\":\"Gr\xc3\xbc\xc3\x9f"
                       "e \xe2\x9c\x93 \xf0\x9f\x98\x80 \\\"x\\\"\"}";
    body += std::string("\0\xff", 2);
    const HttpResult result =
        requestWinHttp(L"POST", srv.origin() + L"/api/communities/c1/progression/title", body, "t");
    EXPECT_EQ(result.status, 201u);
    const auto requests = srv.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, body);
    EXPECT_EQ(requests[0].header("Content-Length").value_or(""), std::to_string(body.size()));
}

TEST(Exchange, QueryStaysOnThePath) {
    LoopbackServer srv;
    srv.respond({200, "{}"});
    srv.respond({200, "{}"});
    requestWinHttp(L"GET", srv.origin() + L"/api/livekit/host-token?room=a%20b&username=c%40d", "",
                   "");
    // The query is not bound by the path buffer: a 2047-unit path with a long query still goes.
    const std::wstring longPath = L"/" + std::wstring(2046, L'p');
    const std::wstring longQuery = L"?q=" + std::wstring(3000, L'q');
    const HttpResult result = requestWinHttp(L"GET", srv.origin() + longPath + longQuery, "", "");
    EXPECT_EQ(result.error, "");

    const auto requests = srv.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target(), "/api/livekit/host-token?room=a%20b&username=c%40d");
    EXPECT_EQ(requests[1].target(), "/" + std::string(2046, 'p') + "?q=" + std::string(3000, 'q'));
}

TEST(Exchange, AnyStatusIsACompletedExchange) {
    LoopbackServer srv;
    srv.respond({200, "{\"wallet\":1}"});
    srv.respond({401, "{\"error\":\"unauthorized\"}"});
    srv.respond({500, "boom"});
    Response noContent(204);
    srv.respond(noContent);
    for (const auto& [status, body] :
         std::vector<std::pair<unsigned, std::string>>{{200, "{\"wallet\":1}"},
                                                       {401, "{\"error\":\"unauthorized\"}"},
                                                       {500, "boom"},
                                                       {204, ""}}) {
        const HttpResult result = requestWinHttp(L"GET", srv.origin() + L"/api/me/wallet", "", "");
        EXPECT_EQ(result.status, status);
        EXPECT_EQ(result.body, body);
        EXPECT_EQ(result.error, "") << status;
    }
}

TEST(Exchange, NothingListeningIsAFailedRequest) {
    const std::wstring url =
        L"http://127.0.0.1:" + std::to_wstring(cvtest::unusedLoopbackPort()) + L"/api/me/wallet";
    const HttpResult result = requestWinHttp(L"GET", url, "", "token");
    EXPECT_EQ(result.request, L"GET " + url);
    EXPECT_EQ(result.status, 0u);
    EXPECT_EQ(result.error, kSendFailed);
    EXPECT_EQ(result.body, "");
}

TEST(Exchange, UrlsThatCannotBeSplit) {
    const std::wstring longHost = L"http://" + std::wstring(256, L'h') + L"/api";
    const std::wstring longPath = L"http://127.0.0.1:1/" + std::wstring(2047, L'p');
    for (const std::wstring& url :
         {std::wstring(L"nonsense"), std::wstring(L""), std::wstring(L"ftp://127.0.0.1/x"),
          std::wstring(L"http//127.0.0.1/x"), longHost, longPath}) {
        const HttpResult result = requestWinHttp(L"POST", url, "{}", "t");
        EXPECT_EQ(result.error, kBadUrl) << std::string(url.begin(), url.begin() + 20);
        EXPECT_EQ(result.status, 0u);
        EXPECT_EQ(result.body, "");
        EXPECT_EQ(result.request, L"POST " + url);
    }
    // The longest host still splits; the request then fails on the name lookup instead.
    const HttpResult longest =
        requestWinHttp(L"GET", L"http://" + std::wstring(255, L'h') + L"/api", "", "");
    EXPECT_EQ(longest.error, kSendFailed);
}

TEST(Exchange, LongestPathFits) {
    LoopbackServer srv;
    srv.respond({200, "ok"});
    const std::wstring path = L"/" + std::wstring(2046, L'p');
    const HttpResult result = requestWinHttp(L"GET", srv.origin() + path, "", "");
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.body, "ok");
    const auto requests = srv.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target(), std::string(path.begin(), path.end()));
}

TEST(Exchange, LargeAnswerStopsJustPastTheCap) {
    LoopbackServer srv;
    const std::string sent = patterned(300000);
    srv.respond({200, sent});
    const HttpResult result = requestWinHttp(L"GET", srv.origin() + L"/api/communities", "", "");
    EXPECT_EQ(result.status, 200u);
    EXPECT_EQ(result.error, "");
    EXPECT_GT(result.body.size(), 128000u);
    EXPECT_LT(result.body.size(), 128000u + 65536u);
    EXPECT_TRUE(isPrefix(result.body, sent));
}

TEST(Exchange, AnswerCutShortKeepsWhatArrived) {
    LoopbackServer srv;
    const std::string sent = patterned(50000);
    Response partial(200, sent);
    partial.closeAfterBytes = 20000;
    srv.respond(partial);
    const HttpResult result = requestWinHttp(L"GET", srv.origin() + L"/api/communities", "", "");
    EXPECT_EQ(result.status, 200u);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.body, sent.substr(0, 20000));
}

TEST(Exchange, TokenWithLineBreakIsNeverSent) {
    LoopbackServer srv;
    srv.respond({200, "{}"});
    for (const std::string& token : {std::string("abc\r\nX-Injected: 1"), std::string("abc\ndef"),
                                     std::string("abc\rdef"), std::string("a\0b", 3)}) {
        const HttpResult result = requestWinHttp(L"GET", srv.origin() + L"/api/auth/me", "", token);
        EXPECT_EQ(result.error, "Request konnte nicht erstellt werden.");
        EXPECT_EQ(result.status, 0u);
    }
    // The next clean request is the first one the server sees.
    requestWinHttp(L"GET", srv.origin() + L"/api/auth/me", "", "clean");
    const auto requests = srv.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Authorization").value_or(""), "Bearer clean");
    EXPECT_FALSE(requests[0].header("X-Injected"));
}

TEST(Exchange, ConcurrentExchangesKeepTheirOwnAnswers) {
    LoopbackServer srv;
    srv.setHandler([](const Request& request) { return Response(200, request.target()); });
    constexpr int kThreads = 4;
    std::vector<HttpResult> results(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            results[i] =
                requestWinHttp(L"GET", srv.origin() + L"/api/n/" + std::to_wstring(i), "", "");
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(results[i].status, 200u);
        EXPECT_EQ(results[i].body, "/api/n/" + std::to_string(i));
    }
}

// A redirect is the answer: neither the token nor the password may follow it to another host.
TEST(Exchange, RedirectsAreNeverFollowed) {
    LoopbackServer origin;
    LoopbackServer other;
    other.setHandler([](const Request&) { return Response{200, R"({"stolen":true})"}; });
    for (const int status : {301, 302, 303, 307, 308}) {
        for (const auto& [method, body] :
             {std::pair{L"GET", ""}, std::pair{L"POST", R"({"password":"pw"})"}}) {
            Response moved{status, R"({"moved":true})"};
            moved.headers = {"Location: " + narrow(other.origin()) + "/steal"};
            origin.respond(moved);
            const HttpResult result =
                requestWinHttp(method, origin.origin() + L"/api/auth/login", body, "tok-1");
            EXPECT_EQ(result.status, static_cast<std::uint32_t>(status)) << status;
            EXPECT_EQ(result.body, R"({"moved":true})") << status;
            EXPECT_EQ(result.error, "") << status;
        }
    }
    EXPECT_EQ(origin.requestCount(), 10u);
    EXPECT_EQ(other.requestCount(), 0u);
}
