// Hostile and broken servers through the real window: every case ends in a clear report, nothing
// crashes, and the window keeps answering other threads while the case runs.
#include "fixture.h"
#include "watch.h"

#include "actions/actions.h"
#include "backend/requests.h"
#include "shell/ids.h"
#include "shell/screens.h"
#include "shell/window.h"

#include <algorithm>
#include <random>
#include <set>
#include <vector>

using namespace corvanta;
using cvtest::ActionsTest;
using cvtest::LoopbackServer;
using cvtest::Response;
using cvtest::Watcher;

namespace {

const std::wstring kFailed = L"Status: 0\r\nFehler: HTTP Request fehlgeschlagen.\r\n";
constexpr SIZE_T kMemoryBound = SIZE_T{8} << 20; // well below the 10 MB a full read would hold

std::string repeatToSize(const std::string& unit, std::size_t size) {
    std::string out;
    out.reserve(size + unit.size());
    while (out.size() < size) {
        out += unit;
    }
    return out;
}

Response resetAnswer() {
    Response r;
    r.reset = true;
    return r;
}

Response rawAnswer(std::string bytes) {
    Response r(200, std::move(bytes));
    r.raw = true;
    return r;
}

Response headersOf(std::size_t bytes) {
    Response r(200, R"({"headers":"many"})");
    for (std::size_t i = 0, total = 0; total < bytes; ++i) {
        r.headers.push_back("X-Pad-" + std::to_string(i) + ": " + std::string(56, 'h'));
        total += r.headers.back().size() + 2;
    }
    return r;
}

Response heldAnswer(std::string body) {
    Response r(200, std::move(body));
    r.holdUntilReleased = true;
    return r;
}

struct HostileCase {
    const char* name;
    Response answer;
    std::vector<std::wstring> shown;
    std::vector<std::wstring> notShown;
};

} // namespace

TEST_F(ActionsTest, HostileAnswersGiveAClearReportAndTheWindowKeepsAnswering) {
    // After a NUL the edit control shows nothing more; invalid UTF-8 becomes U+FFFD.
    const std::string nulBody(
        "{\"msg\":\"vor dem NUL \xff\xc3\x28 ok\0nach dem NUL\",\"token\":\"x\"}", 53);
    const std::vector<HostileCase> cases = {
        {"reset before any byte", resetAnswer(), {kFailed}, {L"Status: 200"}},
        {"garbage instead of a status line",
         rawAnswer("SSH-2.0-OpenSSH_9.2\r\n\xff\xfe garbage\r\n\r\n{\"token\":\"leak\"}"),
         {kFailed},
         {L"leak", L"garbage"}},
        {"10 MB body",
         Response(200, repeatToSize(R"({"id":12345,"name":"Kanal"},)", 10 << 20)),
         {L"Status: 200\r\n\r\nAntwort:\r\n{\"id\":12345,", L"\n\n... gekuerzt ..."},
         {L"Fehler"}},
        {"64 KB of headers",
         headersOf(64 << 10),
         {L"Status: 200\r\n\r\nAntwort:\r\n{\"headers\":\"many\"}"},
         {L"Fehler"}},
        {"one unbroken run of digits",
         Response(200, std::string(20000, '7')),
         {L"Antwort:\r\n" + std::wstring(12000, L'7') + L"\n\n... gekuerzt ..."},
         {L"Fehler"}},
        {"NUL and invalid UTF-8",
         Response(200, nulBody),
         {L"Status: 200\r\n\r\nAntwort:\r\n{\"msg\":\"vor dem NUL \uFFFD\uFFFD( ok"},
         {L"nach dem NUL", L"token"}},
    };
    signIn();
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        setOutput(L"");
        server.respond(c.answer);
        // 12 KB without a break take Wine's edit control about half a second to lay out (see
        // docs/performance.md), on a busy two-core machine more than the usual second.
        Watcher watcher(*window, 2500);
        runHttpAsync(L"Wallet", L"GET", L"/api/me/wallet", "", true);
        ASSERT_TRUE(waitForOutput(L"Antwort:"));
        window->pump(100); // the report is on screen: the window must still answer
        watcher.stop();
        EXPECT_EQ(watcher.unanswered(), 0);
        EXPECT_GT(watcher.answered(), 0);
        EXPECT_LT(watcher.growth(), kMemoryBound);
        const std::wstring out = window->output();
        for (const auto& text : c.shown) {
            EXPECT_NE(out.find(text), std::wstring::npos) << "missing: " << text.size() << " units";
        }
        for (const auto& text : c.notShown) {
            EXPECT_EQ(out.find(text), std::wstring::npos);
        }
        EXPECT_EQ(liveHttpCompletions(), 0);
        EXPECT_EQ(SendMessageW(g_app.output, EM_GETFIRSTVISIBLELINE, 0, 0), 0); // from the top
    }
}

TEST_F(ActionsTest, AProbeRefusalIsCutLikeEveryReportAndTheWindowKeepsAnswering) {
    std::string numbers = "[";
    for (int i = 0; numbers.size() < 120000; ++i) {
        numbers += std::to_string(100000 + 7 * i) + ",";
    }
    numbers.back() = ']';
    signIn();
    server.respond({403, numbers});
    // Laying out 12 KB without a break takes Wine's edit control about half a second (see
    // docs/performance.md), on a busy two-core machine more than the usual second.
    Watcher watcher(*window, 2500);
    window->command(ID_BTN_LIVEKIT);
    ASSERT_TRUE(window->pumpUntil(
        [] { return g_app.statusText == L"LiveKit Probe abgeschlossen."; }, 60000));
    window->pump(100);
    watcher.stop();
    EXPECT_EQ(watcher.unanswered(), 0);
    const std::wstring out = window->output();
    const std::wstring shown(numbers.begin(), numbers.begin() + 12000);
    EXPECT_NE(out.find(L"geantwortet:\r\n" + shown + L"\n\n... gekuerzt ...\r\n"),
              std::wstring::npos);
    EXPECT_EQ(SendMessageW(g_app.output, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(ActionsTest, ASilentServerKeepsNoScreenWaitingUntilItIsEnded) {
    signIn();
    auto silent = std::make_unique<LoopbackServer>();
    silent->respond(heldAnswer("{}"));
    setBackendOrigin(silent->origin());
    Watcher watcher(*window);
    runHttpAsync(L"Wallet", L"GET", L"/api/me/wallet", "", true);
    ASSERT_TRUE(window->pumpUntil([&] { return silent->requestCount() == 1; }));
    // The user goes through every screen while the answer is outstanding.
    for (int id = ID_NAV_ORBITAL; id <= ID_NAV_TREVACAST; ++id) {
        window->command(id);
        window->pump(20);
        const std::wstring out = window->output();
        EXPECT_NE(out.find(L"Request laeuft: Wallet"), std::wstring::npos) << id;
        EXPECT_NE(out.find(endpointForScreen(g_app.screen)), std::wstring::npos) << id;
    }
    EXPECT_EQ(liveHttpCompletions(), 1);
    silent.reset(); // the test ends the server: the connection closes without an answer
    ASSERT_TRUE(waitForOutput(L"Antwort:"));
    watcher.stop();
    EXPECT_EQ(watcher.unanswered(), 0);
    EXPECT_NE(window->output().find(kFailed), std::wstring::npos);
    EXPECT_EQ(g_app.statusText, L"Letzter Request: HTTP 0 (HTTP Request fehlgeschlagen.)");
    EXPECT_EQ(liveHttpCompletions(), 0);
}

TEST_F(ActionsTest, FiftyRequestsInFlightAreEachDeliveredOnceInCompletionOrder) {
    constexpr int kRequests = 50;
    signIn();
    // One server per request, so that each answer is let go on its own.
    std::vector<std::unique_ptr<LoopbackServer>> servers;
    std::vector<std::uint64_t> sequences;
    for (int i = 0; i < kRequests; ++i) {
        servers.push_back(std::make_unique<LoopbackServer>());
        servers.back()->respond(heldAnswer("{\"n\":" + std::to_string(i) + "}"));
    }
    cvtest::DeliveryLog log(window->hwnd());
    for (const auto& s : servers) {
        setBackendOrigin(s->origin());
        sequences.push_back(runHttpAsync(L"Wallet", L"GET", L"/api/me/wallet", "", true));
    }
    setBackendOrigin(server.origin());
    ASSERT_TRUE(window->pumpUntil([&] {
        return std::all_of(servers.begin(), servers.end(),
                           [](const auto& s) { return s->requestCount() == 1; });
    }));
    EXPECT_EQ(liveHttpCompletions(), kRequests);
    EXPECT_EQ(log.size(), 0u);

    std::vector<int> order(kRequests);
    for (int i = 0; i < kRequests; ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), std::mt19937(13));
    Watcher watcher(*window);
    // The first half one at a time: each is delivered before the next completes.
    for (int k = 0; k < kRequests / 2; ++k) {
        servers[order[k]]->release();
        ASSERT_TRUE(
            window->pumpUntil([&] { return log.size() == static_cast<std::size_t>(k + 1); }));
        EXPECT_EQ(log.deliveries()[k].sequence, sequences[order[k]]);
    }
    // The second half all at once.
    for (int k = kRequests / 2; k < kRequests; ++k) {
        servers[order[k]]->release();
    }
    ASSERT_TRUE(window->pumpUntil([&] { return log.size() >= kRequests; }));
    window->pump(200); // nothing is delivered twice
    watcher.stop();
    EXPECT_EQ(watcher.unanswered(), 0);
    EXPECT_EQ(liveHttpCompletions(), 0);

    ASSERT_EQ(log.size(), static_cast<std::size_t>(kRequests));
    std::set<std::uint64_t> delivered;
    for (const auto& d : log.deliveries()) {
        delivered.insert(d.sequence);
    }
    EXPECT_EQ(delivered, std::set<std::uint64_t>(sequences.begin(), sequences.end()));
    // The last one delivered owns the output box.
    const auto last =
        std::find(sequences.begin(), sequences.end(), log.deliveries().back().sequence);
    const auto lastIndex = static_cast<std::size_t>(last - sequences.begin());
    const std::wstring out = window->output();
    EXPECT_NE(out.find(L"GET " + servers[lastIndex]->origin() + L"/api/me/wallet\r\n"),
              std::wstring::npos);
    EXPECT_NE(out.find(L"{\"n\":" + std::to_wstring(lastIndex) + L"}"), std::wstring::npos);
    EXPECT_EQ(g_app.statusText, L"Letzter Request: HTTP 200");
}
