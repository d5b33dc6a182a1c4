// The signed-out picture: dark backdrop, the login card with its pulsing logo, the captions over
// the login controls, the start choice and the login message.
#include "render/paint.h"

#include "render/palette.h"
#include "render/primitives.h"
#include "shell/app_state.h"
#include "shell/geometry.h"

#include <algorithm>

namespace corvanta {
namespace {

constexpr Color kBackdrop = rgb(0x04, 0x09, 0x14);
constexpr Color kTopBand = rgb(0x06, 0x14, 0x2C);
constexpr Color kCardFill = rgb(0xF8, 0xFB, 0xFF);
constexpr Color kCardOutline = rgb(0x91, 0xC3, 0xFF);
constexpr Color kHaloFill = rgb(0x0A, 0x2E, 0x5B);
constexpr Color kHaloOutline = rgb(0x14, 0xA7, 0xFF);
constexpr Color kCoreOutline = rgb(0x2A, 0xE6, 0xF1);
constexpr Color kMonogram = rgb(0xFF, 0xFF, 0xFF);

} // namespace

void paintLoginScreen(HDC dc, const RECT& client) {
    const SavedDcState saved(dc);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    // The same rectangle places the login controls, so captions and controls line up.
    const Rect card = loginCardRect(w, h);
    const int l = card.left, t = card.top, r = card.right, b = card.bottom;

    drawFilledRect(dc, client, kBackdrop);
    drawFilledRect(dc, RECT{0, 0, w, std::max(180, h / 3)}, kTopBand);
    drawRoundPanel(dc, RECT{l, t, r, b}, 18, kCardFill, kCardOutline);

    const LogoPulse logo = logoPulse(g_app.logoFrame, card);
    const int x = logo.x, y = logo.y, s = logo.side;
    drawDot(dc, x - kLogoHaloMargin, y - kLogoHaloMargin, s + 2 * kLogoHaloMargin, kHaloFill,
            kHaloOutline);
    drawDot(dc, x, y, s, logo.core, kCoreOutline);
    drawLabel(dc, L"CV", RECT{x, y, x + s, y + s}, kMonogram, g_app.fontHero, kLabelCenter);

    drawLabel(dc, L"Corvanta", RECT{l + 32, t + 112, r - 32, t + 142}, fg(), g_app.fontTitle,
              kLabelCenter);
    drawLabel(dc, L"Einloggen und Startbereich waehlen", RECT{l + 32, t + 142, r - 32, t + 164},
              muted(), g_app.fontBody, kLabelCenter);
    drawLabel(dc, L"Account", RECT{l + 58, t + 160, r - 58, t + 180}, muted(), g_app.fontSmall,
              kLabelLeft);
    drawLabel(dc, L"Passwort", RECT{l + 58, t + 212, r - 58, t + 232}, muted(), g_app.fontSmall,
              kLabelLeft);
    drawLabel(dc, L"Starten in", RECT{l + 58, t + 278, r - 58, t + 300}, muted(), g_app.fontSmall,
              kLabelLeft);
    drawLabel(dc,
              g_app.startScreen == Screen::Trevacast ? L"Nach Login: Trevacast Studio"
                                                     : L"Nach Login: Community",
              RECT{l + 58, b - 50, r - 58, b - 30}, accent(), g_app.fontSmall, kLabelCenter);
    drawLabel(dc, g_app.loginMessage, RECT{l + 40, b - 28, r - 40, b - 8},
              g_app.loginBusy ? accent() : muted(), g_app.fontSmall, kLabelCenterCut);
}

} // namespace corvanta
