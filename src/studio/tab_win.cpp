// The streaming-studio screen inside the main window: header, channel strip and a dark
// production workspace (scenes, sources, audio, program, chat and health, bottom bar). All of it
// is a fixed mock-up; the room edit and the two buttons of the bottom bar are child controls.
#include "studio/studio.h"

#include "render/paint.h"
#include "render/primitives.h"
#include "render/theme.h"
#include "shell/app_state.h"
#include "shell/geometry.h"

namespace corvanta {
namespace {

RECT box(int left, int top, int right, int bottom) {
    return RECT{left, top, right, bottom};
}

void drawHeader(HDC dc, int l, int r) {
    drawRoundPanel(dc, box(l + 18, 16, r - 18, 96), 16, color(role::studioSurface),
                   color(role::studioOutline));
    drawDot(dc, l + 36, 34, 42, color(role::markLive), color(role::ringAccent2));
    drawLabel(dc, L"Trevacast Studio", box(l + 92, 32, r - 298, 59), color(role::studioTitle),
              g_app.fontTitle, kLabelLeft);
    drawLabel(dc,
              L"OBS-artiger nativer Studio-Tab fuer Szenen, Quellen, Preview, Mixer und Go Live.",
              box(l + 92, 60, r - 40, 84), color(role::studioText), g_app.fontBody, kLabelLeftCut);
    drawRoundPanel(dc, box(r - 268, 36, r - 160, 64), 9, color(role::offline),
                   color(role::offlineOutline));
    drawLabel(dc, L"OFFLINE", box(r - 268, 36, r - 160, 64), color(role::offlineText),
              g_app.fontBody, kLabelCenter);
    drawRoundPanel(dc, box(r - 148, 36, r - 36, 64), 9, color(role::nativeTab.fill),
                   color(role::nativeTab.outline));
    drawLabel(dc, L"NATIVE TAB", box(r - 148, 36, r - 36, 64), color(role::nativeTab.text),
              g_app.fontBody, kLabelCenter);
}

void drawChannelStrip(HDC dc, int l, int r) {
    drawFilledRect(dc, box(l, 108, r, 150), color(role::panel));
    // Always the studio screen's own texts, whatever screen is current.
    drawLabel(dc, channelLabel(Screen::Trevacast), box(l + 22, 112, r - 142, 136),
              color(role::text), g_app.fontTitle, kLabelLeft);
    drawLabel(dc, modeHint(Screen::Trevacast), box(l + 22, 134, r - 22, 150),
              color(role::secondaryText), g_app.fontSmall, kLabelLeftCut);
    const LinePen pen(dc, 1, color(role::outline));
    pen.line(l, 150, r, 150);
}

void drawLeftColumn(HDC dc, const StudioTabGeometry& g) {
    const int ll = g.leftColumn.left;
    const int lr = g.leftColumn.right;
    const Color text = color(role::studioText), bright = color(role::studioTitle);
    const Color rowFill = color(role::row), rowOutline = color(role::rowOutline);

    drawLabel(dc, L"SCENES", box(ll + 14, 244, lr - 14, 264), text, g_app.fontMono, kLabelLeft);
    static const wchar_t* const kScenes[] = {L"Start Soon", L"Creator Talk", L"Gameplay", L"Break"};
    for (int i = 0; i < 4; ++i) {
        const int top = 274 + 31 * i;
        const bool selected = i == 1; // the mock-up always shows "Creator Talk" on air
        drawRoundPanel(dc, box(ll + 12, top, lr - 12, top + 26), 6,
                       selected ? color(role::scene) : rowFill,
                       selected ? color(role::sceneOutline) : rowOutline);
        drawLabel(dc, kScenes[i], box(ll + 22, top, lr - 22, top + 26),
                  selected ? color(role::sceneText) : text, g_app.fontSmall, kLabelLeftCut);
    }

    drawLabel(dc, L"SOURCES", box(ll + 14, 412, lr - 14, 432), text, g_app.fontMono, kLabelLeft);
    static const wchar_t* const kSources[] = {L"Display", L"Camera", L"Overlay", L"Gift Alerts"};
    for (int j = 0; j < 4; ++j) {
        const int top = 442 + 27 * j;
        drawRoundPanel(dc, box(ll + 12, top, lr - 12, top + 23), 6, rowFill, rowOutline);
        drawDot(dc, ll + 21, 449 + 27 * j, 9, color(j == 1 ? role::markLive : role::markAccent2),
                color(role::ringOnRow));
        drawLabel(dc, kSources[j], box(ll + 39, top, lr - 22, top + 23), bright, g_app.fontSmall,
                  kLabelLeftCut);
    }

    const int ib = g.innerBottom;
    drawLabel(dc, L"AUDIO", box(ll + 14, ib - 84, lr - 14, ib - 64), text, g_app.fontMono,
              kLabelLeft);
    static const wchar_t* const kMeters[] = {L"Mic", L"Desktop", L"Alerts"};
    for (int k = 0; k < 3; ++k) {
        const int y = ib - 48 + 16 * k;
        drawLabel(dc, kMeters[k], box(ll + 14, y - 7, ll + 78, y + 8), text, g_app.fontSmall,
                  kLabelLeft);
        drawFilledRect(dc, box(ll + 80, y, lr - 14, y + 4), color(role::meterTrack));
        // Fixed demonstration levels; a narrow column lets the last one run past its track.
        drawFilledRect(dc, box(ll + 80, y, ll + 122 + 26 * k, y + 4),
                       color(k == 2 ? role::meterPeak : role::meterLevel));
    }
}

void drawProgram(HDC dc, const StudioTabGeometry& g) {
    const int pl = g.program.left;
    const int pr = g.program.right;
    const int ib = g.innerBottom;
    const Color text = color(role::studioText);
    drawLabel(dc, L"PROGRAM", box(pl + 16, 244, pr - 16, 264), text, g_app.fontMono, kLabelLeft);
    {
        const LinePen pen(dc, 2, color(role::cornerMark));
        pen.line(pl + 22, 280, pl + 74, 280);
        pen.line(pl + 22, 280, pl + 22, 332);
        pen.line(pr - 22, ib - 22, pr - 74, ib - 22);
        pen.line(pr - 22, ib - 22, pr - 22, ib - 74);
    }
    drawLabel(dc, L"NO SIGNAL", box(pl, 344, pr, 384), color(role::noSignal), g_app.fontMono,
              kLabelCenter);
    drawLabel(dc, L"Echte Kamera, Screen Capture und Publish bleiben Aufgabe des MSVC/SDK-Builds.",
              box(pl + 24, ib - 48, pr - 24, ib - 22), text, g_app.fontSmall, kLabelCenterCut);
}

void drawStreamChat(HDC dc, int r, int ib) {
    const int tl = r - 266;
    const int tr = r - 48;
    const Color text = color(role::studioText), bright = color(role::studioTitle);
    drawLabel(dc, L"STREAM CHAT", box(tl, 244, tr, 264), text, g_app.fontMono, kLabelLeft);
    static const wchar_t* const kLines[] = {L"Oskar: Audio check?", L"Brann: Talk Szene aktiv",
                                            L"Cora: Gift alerts ready",
                                            L"Liesel: Stream sieht gut aus"};
    for (int c = 0; c < 4; ++c) {
        drawLabel(dc, kLines[c], box(tl, 278 + 34 * c, tr, 300 + 34 * c), c == 0 ? bright : text,
                  g_app.fontSmall, kLabelLeftCut);
    }
    drawLabel(dc, L"HEALTH", box(tl, ib - 112, tr, ib - 92), text, g_app.fontMono, kLabelLeft);
    drawLabel(dc, L"Bitrate 0 kbps | Dropped 0 | CPU 4%", box(tl, ib - 84, tr, ib - 64), bright,
              g_app.fontSmall, kLabelLeftCut);
    drawLabel(dc, L"Targets: Corvanta, YouTube, Twitch", box(tl, ib - 58, tr, ib - 38), text,
              g_app.fontSmall, kLabelLeftCut);
}

void drawBottomBar(HDC dc, int l, int r, int b) {
    const Color text = color(role::studioText);
    drawRoundPanel(dc, box(l + 34, b - 92, r - 34, b - 34), 10, color(role::studioColumn),
                   color(role::columnOutline));
    // The room edit, the probe button and the extra-window button sit under these captions.
    drawLabel(dc, L"ROOM", box(l + 36, b - 84, l + 216, b - 66), text, g_app.fontMono, kLabelLeft);
    drawLabel(dc, L"LIVEKIT", box(l + 224, b - 84, l + 336, b - 66), text, g_app.fontMono,
              kLabelLeft);
    drawRoundPanel(dc, box(r - 304, b - 72, r - 194, b - 44), 8, color(role::goLive.fill),
                   color(role::goLive.outline));
    drawLabel(dc, L"GO LIVE", box(r - 304, b - 72, r - 194, b - 44), color(role::goLive.text),
              g_app.fontBody, kLabelCenter);
    drawLabel(dc, L"EXTRA", box(r - 158, b - 84, r - 32, b - 66), text, g_app.fontMono,
              kLabelLeft);
}

} // namespace

void drawTrevacastTab(HDC dc, int left, int right, int bottom) {
    const SavedDcState saved(dc);
    const int l = left, r = right, b = bottom;

    drawFilledRect(dc, box(l, 0, r, b), color(role::panel));
    drawHeader(dc, l, r);
    drawChannelStrip(dc, l, r);

    const StudioTabGeometry g = studioTabGeometry(l, r, b);
    const Rect& ws = g.workspace;
    const Color text = color(role::studioText);
    const Color column = color(role::studioColumn), columnOutline = color(role::columnOutline);
    drawRoundPanel(dc, box(ws.left, ws.top, ws.right, ws.bottom), 16, color(role::studioSurface),
                   color(role::studioOutline));
    drawLabel(dc, L"PROGRAM WORKSPACE", box(l + 36, 180, r - 36, 202), text, g_app.fontMono,
              kLabelLeft);
    drawLabel(dc,
              L"Preview bleibt im Tab. Unten kann der Raum geprueft oder das Studio als eigenes "
              L"Fenster ausgekoppelt werden.",
              box(l + 36, 202, r - 36, 222), text, g_app.fontSmall, kLabelLeftCut);

    const Rect& lc = g.leftColumn;
    const Rect& pg = g.program;
    const Rect& cc = g.chatColumn;
    drawRoundPanel(dc, box(lc.left, lc.top, lc.right, lc.bottom), 10, column, columnOutline);
    drawRoundPanel(dc, box(pg.left, pg.top, pg.right, pg.bottom), 10, color(role::program),
                   color(role::programOutline));
    if (g.showChat) {
        drawRoundPanel(dc, box(cc.left, cc.top, cc.right, cc.bottom), 10, column, columnOutline);
    }

    drawLeftColumn(dc, g);
    drawProgram(dc, g);
    if (g.showChat) {
        drawStreamChat(dc, r, g.innerBottom);
    }
    drawBottomBar(dc, l, r, b);
}

} // namespace corvanta
