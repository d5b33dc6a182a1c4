// The signed-out picture: dark backdrop, the login card with its pulsing logo, the captions over
// the login controls, the start choice and the login message.
#include "render/paint.h"

#include "render/primitives.h"
#include "render/theme.h"
#include "shell/app_state.h"
#include "shell/geometry.h"

#include <algorithm>

namespace corvanta {

void paintLoginScreen(HDC dc, const RECT& client) {
    const SavedDcState saved(dc);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    // The same rectangle places the login controls, so captions and controls line up.
    const Rect card = loginCardRect(w, h);
    const int l = card.left, t = card.top, r = card.right, b = card.bottom;

    drawFilledRect(dc, client, color(role::backdrop));
    drawFilledRect(dc, RECT{0, 0, w, std::max(180, h / 3)}, color(role::topBand));
    drawRoundPanel(dc, RECT{l, t, r, b}, 18, color(role::card), color(role::cardOutline));

    const LogoPulse logo =
        logoPulse(currentTheme().animations ? g_app.logoFrame : kLogoFrameAtRest, card);
    const int x = logo.x, y = logo.y, s = logo.side;
    drawDot(dc, x - kLogoHaloMargin, y - kLogoHaloMargin, s + 2 * kLogoHaloMargin,
            color(role::halo), color(role::haloRing));
    drawDot(dc, x, y, s, color(role::logoCore(logo.core)), color(role::logoCoreRing));
    drawLabel(dc, L"CV", RECT{x, y, x + s, y + s}, color(role::monogram), g_app.fontHero,
              kLabelCenter);

    const Color secondary = color(role::secondaryText), note = color(role::accentText);
    drawLabel(dc, L"Corvanta", RECT{l + 32, t + 112, r - 32, t + 142}, color(role::text),
              g_app.fontTitle, kLabelCenter);
    drawLabel(dc, L"Einloggen und Startbereich waehlen", RECT{l + 32, t + 142, r - 32, t + 164},
              secondary, g_app.fontBody, kLabelCenter);
    drawLabel(dc, L"Account", RECT{l + 58, t + 160, r - 58, t + 180}, secondary, g_app.fontSmall,
              kLabelLeft);
    drawLabel(dc, L"Passwort", RECT{l + 58, t + 212, r - 58, t + 232}, secondary, g_app.fontSmall,
              kLabelLeft);
    drawLabel(dc, L"Starten in", RECT{l + 58, t + 278, r - 58, t + 300}, secondary,
              g_app.fontSmall, kLabelLeft);
    drawLabel(dc,
              g_app.startScreen == Screen::Trevacast ? L"Nach Login: Trevacast Studio"
                                                     : L"Nach Login: Community",
              RECT{l + 58, b - 50, r - 58, b - 30}, note, g_app.fontSmall, kLabelCenter);
    drawLabel(dc, g_app.loginMessage, RECT{l + 40, b - 28, r - 40, b - 8},
              g_app.loginBusy ? note : secondary, g_app.fontSmall, kLabelCenterCut);
}

} // namespace corvanta
