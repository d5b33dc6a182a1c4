// Writes every painted picture as a BMP into the folder named by CV_SHOT_DIR, for looking at
// them by eye. Skipped when the variable is not set.
#include "paint/shell_fonts.h"
#include "render/paint.h"
#include "shell/app_state.h"
#include "studio/studio.h"
#include "support/dib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

using namespace corvanta;
using cvtest::Dib;

namespace {

TEST(Shots, WritePictures) {
    const char* dir = std::getenv("CV_SHOT_DIR");
    if (dir == nullptr || *dir == '\0') {
        GTEST_SKIP() << "CV_SHOT_DIR not set";
    }
    const std::string base = std::string(dir) + "\\";
    cvtest::ShellFonts fonts;

    auto shoot = [&](const std::string& name, int w, int h) {
        Dib dib(w, h);
        paintClient(dib.dc(), RECT{0, 0, w, h});
        EXPECT_TRUE(dib.save(base + name + ".bmp")) << name;
    };

    g_app.showLogin = true;
    g_app.logoFrame = 0;
    shoot("login_1164x681_f0", 1164, 681);
    g_app.logoFrame = 14;
    g_app.loginBusy = true;
    g_app.loginMessage = L"Login wird geprueft ...";
    g_app.startScreen = Screen::Trevacast;
    shoot("login_1164x681_f14_busy", 1164, 681);
    g_app.loginBusy = false;
    g_app.startScreen = Screen::Community;
    g_app.loginMessage = L"Bitte mit deinem Corvanta Account einloggen.";
    shoot("login_600x400", 600, 400);

    g_app.showLogin = false;
    for (int s = 0; s < 10; ++s) {
        g_app.screen = static_cast<Screen>(s);
        shoot("screen" + std::to_string(s) + "_1164x681", 1164, 681);
    }
    g_app.screen = Screen::Community;
    shoot("community_1180x720", 1180, 720);
    shoot("community_1500x900", 1500, 900);
    g_app.screen = Screen::Trevacast;
    shoot("trevacast_1180x720", 1180, 720);
    shoot("trevacast_1400x800", 1400, 800);
    shoot("trevacast_1800x900", 1800, 900);

    for (auto [w, h] : {std::pair{1164, 701}, std::pair{1004, 601}, std::pair{1600, 900}}) {
        Dib dib(w, h);
        paintTrevacastStudioClient(dib.dc(), w, h);
        EXPECT_TRUE(dib.save(base + "studio_window_" + std::to_string(w) + "x" +
                             std::to_string(h) + ".bmp"));
    }
    g_app.showLogin = true;
    g_app.screen = Screen::Community;
}

} // namespace
