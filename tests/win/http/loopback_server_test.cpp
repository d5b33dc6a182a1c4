// The test server itself: other suites depend on its scripting and its clean shutdown.
#include "backend/http.h"

#include "support/loopback_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace corvanta;
using cvtest::LoopbackServer;
using cvtest::Request;
using cvtest::Response;

TEST(LoopbackServer, QueueThenHandlerThenNotScripted) {
    LoopbackServer srv;
    EXPECT_EQ(srv.origin(), L"http://127.0.0.1:" + std::to_wstring(srv.port()));
    Response first(202, "first");
    first.reason = "Accepted Later";
    first.headers = {"X-Trace: 7"};
    srv.respond(first);
    EXPECT_EQ(requestWinHttp(L"GET", srv.origin() + L"/a", "", "").status, 202u);

    srv.setHandler([](const Request& r) { return Response(200, r.method() + " " + r.target()); });
    EXPECT_EQ(requestWinHttp(L"POST", srv.origin() + L"/b?x=1", "{}", "").body, "POST /b?x=1");

    srv.setHandler(nullptr);
    const HttpResult missing = requestWinHttp(L"GET", srv.origin() + L"/c", "", "");
    EXPECT_EQ(missing.status, 404u);
    EXPECT_EQ(missing.body, "{\"error\":\"not scripted\"}");

    ASSERT_TRUE(srv.waitForRequests(3, 5000));
    EXPECT_EQ(srv.requestCount(), 3u);
    EXPECT_EQ(srv.requests()[1].body, "{}");
    EXPECT_EQ(srv.requests()[1].header("content-type").value_or(""), "application/json");
}

TEST(LoopbackServer, HeldAnswerWaitsForRelease) {
    LoopbackServer srv;
    Response held(200, "late");
    held.holdUntilReleased = true;
    srv.respond(held);
    std::atomic<bool> done{false};
    HttpResult result;
    std::thread client([&] {
        result = requestWinHttp(L"GET", srv.origin() + L"/slow", "", "");
        done = true;
    });
    ASSERT_TRUE(srv.waitForRequests(1, 10000));
    EXPECT_FALSE(done); // the request has arrived, the answer is still held
    srv.release();
    client.join();
    EXPECT_EQ(result.body, "late");
}

TEST(LoopbackServer, DelayedAnswerStillArrives) {
    LoopbackServer srv;
    Response slow(200, "slow");
    slow.delayMs = 300;
    srv.respond(slow);
    EXPECT_EQ(requestWinHttp(L"GET", srv.origin() + L"/d", "", "").body, "slow");
}

TEST(LoopbackServer, DestructionCutsAHeldAnswerShort) {
    HttpResult result;
    std::thread client;
    {
        LoopbackServer srv;
        Response held(200, "never");
        held.holdUntilReleased = true;
        srv.respond(held);
        client = std::thread(
            [&, url = srv.origin() + L"/held"] { result = requestWinHttp(L"GET", url, "", ""); });
        EXPECT_TRUE(srv.waitForRequests(1, 10000));
    } // must not wait for release
    client.join();
    EXPECT_EQ(result.status, 0u);
    EXPECT_EQ(result.error, "HTTP Request fehlgeschlagen.");
}
