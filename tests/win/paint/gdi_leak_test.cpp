// Painting is repeated far past the per-process GDI quota (10,000 objects on Windows). Under
// Wine GetGuiResources says nothing, so the project's own live-object counter and a final
// picture prove that no brush or pen survives a frame.
#include "paint/shell_fonts.h"
#include "render/gdi.h"
#include "render/paint.h"
#include "shell/app_state.h"
#include "studio/studio.h"
#include "support/dib.h"

#include <gtest/gtest.h>

using namespace corvanta;
using cvtest::Dib;

namespace {

constexpr int kFrames = 20000;

constexpr COLORREF kAppBg = RGB(0xF6, 0xF9, 0xFF);
constexpr COLORREF kBorder = RGB(0xDC, 0xE8, 0xF7);
constexpr COLORREF kBannerFill = RGB(0x0C, 0x1E, 0x3C);
constexpr COLORREF kMediaBg = RGB(0x05, 0x08, 0x14);
constexpr COLORREF kCardOutline = RGB(0x91, 0xC3, 0xFF);
constexpr COLORREF kStudioBg = RGB(0x02, 0x0C, 0x16);

class GdiLeak : public ::testing::Test {
  protected:
    void TearDown() override {
        g_app.showLogin = true;
        g_app.screen = Screen::Community;
        g_app.logoFrame = 0;
    }
    cvtest::ShellFonts fonts_;
};

TEST_F(GdiLeak, ThousandsOfFramesLeaveNoObjectBehind) {
    // The frames are painted for a full-size client into a small bitmap: GDI clips the pixel
    // work, while every brush, pen and selection happens exactly as on screen.
    Dib small(160, 120);
    const RECT client{0, 0, 1180, 720};
    const cvtest::DcSnapshot before(small.dc());
    const long live = gdiLiveObjects();
    const long created = gdiCreatedObjects();

    g_app.showLogin = true;
    for (int frame = 0; frame < kFrames; ++frame) {
        g_app.logoFrame = frame;
        paintClient(small.dc(), client);
    }
    EXPECT_EQ(gdiLiveObjects(), live) << "login";

    g_app.showLogin = false;
    for (int s = 0; s < 10; ++s) {
        g_app.screen = static_cast<Screen>(s);
        for (int frame = 0; frame < kFrames; ++frame) {
            paintClient(small.dc(), client);
        }
        EXPECT_EQ(gdiLiveObjects(), live) << "screen " << s;
    }

    for (int frame = 0; frame < kFrames; ++frame) {
        paintTrevacastStudioClient(small.dc(), 1164, 701);
    }
    EXPECT_EQ(gdiLiveObjects(), live) << "studio window";

    // Far more objects went through than any quota allows, and the DC is as it was.
    EXPECT_GT(gdiCreatedObjects() - created, 12L * kFrames * 20);
    EXPECT_TRUE(cvtest::DcSnapshot(small.dc()) == before);

    // Drawing still works afterwards.
    g_app.screen = Screen::Community;
    Dib dib(1180, 720);
    paintClient(dib.dc(), client);
    EXPECT_EQ(dib.at(5, 300), kAppBg);
    EXPECT_EQ(dib.at(864, 104), kBorder);
    EXPECT_EQ(dib.at(458, 56), kBannerFill);
    g_app.screen = Screen::Trevacast;
    paintClient(dib.dc(), client);
    EXPECT_EQ(dib.at(458, 56), kMediaBg);
    g_app.showLogin = true;
    paintClient(dib.dc(), client);
    EXPECT_EQ(dib.at(320, 360), kCardOutline);
    paintTrevacastStudioClient(dib.dc(), 1180, 720);
    EXPECT_EQ(dib.at(5, 48), kStudioBg);
}

} // namespace
