// The streaming-studio screen inside the main window: header, channel strip and a dark
// production workspace (scenes, sources, audio, program, chat and health, bottom bar). All of it
// is a fixed mock-up; the room edit and the two buttons of the bottom bar are child controls.
#include "studio/studio.h"

#include "render/paint.h"
#include "render/primitives.h"
#include "shell/app_state.h"
#include "shell/geometry.h"

namespace corvanta {
namespace {

using namespace studio_color;

constexpr Color kOuterOutline = rgb(0x00, 0x5F, 0x82); // header banner and workspace
constexpr Color kOfflineFill = rgb(0x23, 0x0F, 0x1A);
constexpr Color kOfflineText = rgb(0xFF, 0xD7, 0xE1);

RECT box(int left, int top, int right, int bottom) {
    return RECT{left, top, right, bottom};
}

void drawHeader(HDC dc, int l, int r) {
    drawRoundPanel(dc, box(l + 18, 16, r - 18, 96), 16, mediaBg(), kOuterOutline);
    drawDot(dc, l + 36, 34, 42, liveRed(), accent2());
    drawLabel(dc, L"Trevacast Studio", box(l + 92, 32, r - 298, 59), kBright, g_app.fontTitle,
              kLabelLeft);
    drawLabel(dc,
              L"OBS-artiger nativer Studio-Tab fuer Szenen, Quellen, Preview, Mixer und Go Live.",
              box(l + 92, 60, r - 40, 84), kText, g_app.fontBody, kLabelLeftCut);
    drawRoundPanel(dc, box(r - 268, 36, r - 160, 64), 9, kOfflineFill, liveRed());
    drawLabel(dc, L"OFFLINE", box(r - 268, 36, r - 160, 64), kOfflineText, g_app.fontBody,
              kLabelCenter);
    drawRoundPanel(dc, box(r - 148, 36, r - 36, 64), 9, kSelectedFill, accent2());
    drawLabel(dc, L"NATIVE TAB", box(r - 148, 36, r - 36, 64), kBright, g_app.fontBody,
              kLabelCenter);
}

void drawChannelStrip(HDC dc, int l, int r) {
    drawFilledRect(dc, box(l, 108, r, 150), surface());
    // Always the studio screen's own texts, whatever screen is current.
    drawLabel(dc, channelLabel(Screen::Trevacast), box(l + 22, 112, r - 142, 136), fg(),
              g_app.fontTitle, kLabelLeft);
    drawLabel(dc, modeHint(Screen::Trevacast), box(l + 22, 134, r - 22, 150), muted(),
              g_app.fontSmall, kLabelLeftCut);
    const LinePen pen(dc, 1, border());
    pen.line(l, 150, r, 150);
}

void drawLeftColumn(HDC dc, const StudioTabGeometry& g) {
    const int ll = g.leftColumn.left;
    const int lr = g.leftColumn.right;

    drawLabel(dc, L"SCENES", box(ll + 14, 244, lr - 14, 264), kText, g_app.fontMono, kLabelLeft);
    static const wchar_t* const kScenes[] = {L"Start Soon", L"Creator Talk", L"Gameplay", L"Break"};
    for (int i = 0; i < 4; ++i) {
        const int top = 274 + 31 * i;
        const bool selected = i == 1; // the mock-up always shows "Creator Talk" on air
        drawRoundPanel(dc, box(ll + 12, top, lr - 12, top + 26), 6,
                       selected ? kSelectedFill : kRowFill,
                       selected ? kSelectedOutline : kRowOutline);
        drawLabel(dc, kScenes[i], box(ll + 22, top, lr - 22, top + 26), selected ? kBright : kText,
                  g_app.fontSmall, kLabelLeftCut);
    }

    drawLabel(dc, L"SOURCES", box(ll + 14, 412, lr - 14, 432), kText, g_app.fontMono, kLabelLeft);
    static const wchar_t* const kSources[] = {L"Display", L"Camera", L"Overlay", L"Gift Alerts"};
    for (int j = 0; j < 4; ++j) {
        const int top = 442 + 27 * j;
        drawRoundPanel(dc, box(ll + 12, top, lr - 12, top + 23), 6, kRowFill, kRowOutline);
        drawDot(dc, ll + 21, 449 + 27 * j, 9, j == 1 ? liveRed() : accent2(), kRowFill);
        drawLabel(dc, kSources[j], box(ll + 39, top, lr - 22, top + 23), kBright, g_app.fontSmall,
                  kLabelLeftCut);
    }

    const int ib = g.innerBottom;
    drawLabel(dc, L"AUDIO", box(ll + 14, ib - 84, lr - 14, ib - 64), kText, g_app.fontMono,
              kLabelLeft);
    static const wchar_t* const kMeters[] = {L"Mic", L"Desktop", L"Alerts"};
    for (int k = 0; k < 3; ++k) {
        const int y = ib - 48 + 16 * k;
        drawLabel(dc, kMeters[k], box(ll + 14, y - 7, ll + 78, y + 8), kText, g_app.fontSmall,
                  kLabelLeft);
        drawFilledRect(dc, box(ll + 80, y, lr - 14, y + 4), kMeterTrack);
        // Fixed demonstration levels; a narrow column lets the last one run past its track.
        drawFilledRect(dc, box(ll + 80, y, ll + 122 + 26 * k, y + 4),
                       k == 2 ? liveRed() : accent2());
    }
}

void drawProgram(HDC dc, const StudioTabGeometry& g) {
    const int pl = g.program.left;
    const int pr = g.program.right;
    const int ib = g.innerBottom;
    drawLabel(dc, L"PROGRAM", box(pl + 16, 244, pr - 16, 264), kText, g_app.fontMono, kLabelLeft);
    {
        const LinePen pen(dc, 2, kSelectedOutline);
        pen.line(pl + 22, 280, pl + 74, 280);
        pen.line(pl + 22, 280, pl + 22, 332);
        pen.line(pr - 22, ib - 22, pr - 74, ib - 22);
        pen.line(pr - 22, ib - 22, pr - 22, ib - 74);
    }
    drawLabel(dc, L"NO SIGNAL", box(pl, 344, pr, 384), kNoSignal, g_app.fontMono, kLabelCenter);
    drawLabel(dc, L"Echte Kamera, Screen Capture und Publish bleiben Aufgabe des MSVC/SDK-Builds.",
              box(pl + 24, ib - 48, pr - 24, ib - 22), kText, g_app.fontSmall, kLabelCenterCut);
}

void drawStreamChat(HDC dc, int r, int ib) {
    const int tl = r - 266;
    const int tr = r - 48;
    drawLabel(dc, L"STREAM CHAT", box(tl, 244, tr, 264), kText, g_app.fontMono, kLabelLeft);
    static const wchar_t* const kLines[] = {L"Oskar: Audio check?", L"Brann: Talk Szene aktiv",
                                            L"Cora: Gift alerts ready",
                                            L"Liesel: Stream sieht gut aus"};
    for (int c = 0; c < 4; ++c) {
        drawLabel(dc, kLines[c], box(tl, 278 + 34 * c, tr, 300 + 34 * c), c == 0 ? kBright : kText,
                  g_app.fontSmall, kLabelLeftCut);
    }
    drawLabel(dc, L"HEALTH", box(tl, ib - 112, tr, ib - 92), kText, g_app.fontMono, kLabelLeft);
    drawLabel(dc, L"Bitrate 0 kbps | Dropped 0 | CPU 4%", box(tl, ib - 84, tr, ib - 64), kBright,
              g_app.fontSmall, kLabelLeftCut);
    drawLabel(dc, L"Targets: Corvanta, YouTube, Twitch", box(tl, ib - 58, tr, ib - 38), kText,
              g_app.fontSmall, kLabelLeftCut);
}

void drawBottomBar(HDC dc, int l, int r, int b) {
    drawRoundPanel(dc, box(l + 34, b - 92, r - 34, b - 34), 10, mediaPanel(), kColumnOutline);
    // The room edit, the probe button and the extra-window button sit under these captions.
    drawLabel(dc, L"ROOM", box(l + 36, b - 84, l + 216, b - 66), kText, g_app.fontMono, kLabelLeft);
    drawLabel(dc, L"LIVEKIT", box(l + 224, b - 84, l + 336, b - 66), kText, g_app.fontMono,
              kLabelLeft);
    drawRoundPanel(dc, box(r - 304, b - 72, r - 194, b - 44), 8, liveRed(), liveRed());
    drawLabel(dc, L"GO LIVE", box(r - 304, b - 72, r - 194, b - 44), kWhite, g_app.fontBody,
              kLabelCenter);
    drawLabel(dc, L"EXTRA", box(r - 158, b - 84, r - 32, b - 66), kText, g_app.fontMono,
              kLabelLeft);
}

} // namespace

void drawTrevacastTab(HDC dc, int left, int right, int bottom) {
    const SavedDcState saved(dc);
    const int l = left, r = right, b = bottom;

    drawFilledRect(dc, box(l, 0, r, b), surface());
    drawHeader(dc, l, r);
    drawChannelStrip(dc, l, r);

    const StudioTabGeometry g = studioTabGeometry(l, r, b);
    const Rect& ws = g.workspace;
    drawRoundPanel(dc, box(ws.left, ws.top, ws.right, ws.bottom), 16, mediaBg(), kOuterOutline);
    drawLabel(dc, L"PROGRAM WORKSPACE", box(l + 36, 180, r - 36, 202), kText, g_app.fontMono,
              kLabelLeft);
    drawLabel(dc,
              L"Preview bleibt im Tab. Unten kann der Raum geprueft oder das Studio als eigenes "
              L"Fenster ausgekoppelt werden.",
              box(l + 36, 202, r - 36, 222), kText, g_app.fontSmall, kLabelLeftCut);

    const Rect& lc = g.leftColumn;
    const Rect& pg = g.program;
    const Rect& cc = g.chatColumn;
    drawRoundPanel(dc, box(lc.left, lc.top, lc.right, lc.bottom), 10, mediaPanel(), kColumnOutline);
    drawRoundPanel(dc, box(pg.left, pg.top, pg.right, pg.bottom), 10, kProgramFill,
                   kProgramOutline);
    if (g.showChat) {
        drawRoundPanel(dc, box(cc.left, cc.top, cc.right, cc.bottom), 10, mediaPanel(),
                       kColumnOutline);
    }

    drawLeftColumn(dc, g);
    drawProgram(dc, g);
    if (g.showChat) {
        drawStreamChat(dc, r, g.innerBottom);
    }
    drawBottomBar(dc, l, r, b);
}

} // namespace corvanta
