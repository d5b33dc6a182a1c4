// A long session through the real window: thousands of requests, their reports shown and painted
// while the screens change, leave no record and no GDI object behind, and a new window draws
// exactly what the first one drew.
#include "fixture.h"
#include "watch.h"

#include "render/gdi.h"
#include "render/paint.h"
#include "shell/ids.h"
#include "support/dib.h"

#include <set>
#include <vector>

using namespace corvanta;
using cvtest::ActionsTest;
using cvtest::Response;

namespace {

constexpr int kWidth = 1304;
constexpr int kHeight = 781;

std::vector<COLORREF> picture() {
    cvtest::Dib dib(kWidth, kHeight);
    paintClient(dib.dc(), RECT{0, 0, kWidth, kHeight});
    std::vector<COLORREF> pixels;
    pixels.reserve(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            pixels.push_back(dib.at(x, y));
        }
    }
    return pixels;
}

} // namespace

TEST_F(ActionsTest, TwoThousandRequestsLeaveNoRecordOrObjectBehind) {
    constexpr int kRequests = 2000;
    constexpr std::size_t kInFlight = 8;
    signIn();
    g_app.screen = Screen::Wallet;
    const std::vector<COLORREF> before = picture();
    const long gdiBefore = gdiLiveObjects();

    server.setHandler([](const cvtest::Request&) {
        return Response(200, R"({"balance":12440,"accessToken":"a","items":[1,2,3]})");
    });
    std::set<std::uint64_t> started;
    {
        cvtest::DeliveryLog log(window->hwnd());
        for (int i = 0; i < kRequests; ++i) {
            if (i % 100 == 0) {
                window->command(ID_NAV_ORBITAL + (i / 100) % 10);
            }
            started.insert(runHttpAsync(L"Wallet", L"GET", L"/api/me/wallet", "", true));
            // Pumping delivers the answers and paints the window they invalidate.
            ASSERT_TRUE(window->pumpUntil([&] { return log.size() + kInFlight > started.size(); }));
        }
        ASSERT_TRUE(window->pumpUntil([&] { return log.size() == started.size(); }));
        std::set<std::uint64_t> delivered;
        for (const auto& d : log.deliveries()) {
            delivered.insert(d.sequence);
        }
        EXPECT_EQ(delivered, started);
        EXPECT_EQ(log.size(), started.size());
    }
    EXPECT_EQ(started.size(), static_cast<std::size_t>(kRequests));
    EXPECT_EQ(server.requestCount(), static_cast<std::size_t>(kRequests));
    EXPECT_EQ(liveHttpCompletions(), 0);
    EXPECT_EQ(gdiLiveObjects(), gdiBefore);

    // A new window still comes up, draws the same picture and completes a request.
    window.reset();
    window = std::make_unique<cvtest::MainWindow>(kWidth, kHeight);
    signIn();
    g_app.screen = Screen::Wallet;
    EXPECT_TRUE(picture() == before);
    runHttpAsync(L"Wallet", L"GET", L"/api/me/wallet", "", true);
    EXPECT_TRUE(waitForOutput(L"\"balance\":12440"));
}
