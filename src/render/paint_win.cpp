// The main window picture: rail, channel sidebar, content column and, when wide, the right panel.
// Everything here is static decoration under the child controls; only the login flag, the
// current screen and the client size change what is drawn.
#include "render/paint.h"

#include "render/primitives.h"
#include "render/theme.h"
#include "shell/app_state.h"
#include "shell/geometry.h"
#include "shell/ids.h"
#include "shell/window_dpi.h"
#include "studio/studio.h"

#include <algorithm>
#include <optional>

namespace corvanta {
namespace {

constexpr int kRail = kWorkspaceRailWidth;                               // 218
constexpr int kContentLeft = kWorkspaceRailWidth + kChannelSidebarWidth; // 432

RECT box(int left, int top, int right, int bottom) {
    return RECT{left, top, right, bottom};
}

void drawRail(HDC dc, int h) {
    const Color text = color(role::text), secondary = color(role::secondaryText);
    drawDot(dc, 18, 18, 36, color(role::markAccent), color(role::ringAccent2));
    drawLabel(dc, L"Corvanta", box(62, 16, 206, 42), text, g_app.fontTitle, kLabelLeft);
    drawLabel(dc, L"Community Platform", box(62, 42, 206, 62), secondary, g_app.fontSmall,
              kLabelLeft);
    drawLabel(dc, L"WORKSPACES", box(16, 68, 202, 84), secondary, g_app.fontSmall, kLabelLeft);
    drawRoundPanel(dc, box(16, h - 168, 202, h - 24), 14, color(role::panel), color(role::outline));
    drawLabel(dc, L"Account", box(30, h - 158, 188, h - 136), text, g_app.fontBody, kLabelLeft);
    drawDot(dc, 30, h - 126, 28, color(role::markAccent), color(role::ringWhite));
    drawDot(dc, 51, h - 105, 9, color(role::markOnline), color(role::ringOnPanel));
    drawLabel(dc, L"Online", box(66, h - 124, 190, h - 104), text, g_app.fontBody, kLabelLeft);
    drawLabel(dc, L"geschuetzte Session", box(66, h - 104, 190, h - 84), secondary,
              g_app.fontSmall, kLabelLeft);
}

void drawSidebar(HDC dc) {
    const Color text = color(role::text), secondary = color(role::secondaryText);
    const Color panel = color(role::panel), outline = color(role::outline);
    drawLabel(dc, L"Trevacast", box(230, 16, 420, 40), text, g_app.fontTitle, kLabelLeft);
    drawRoundPanel(dc, box(230, 48, 420, 102), 12, panel, outline);
    drawDot(dc, 242, 64, 10, color(role::markLive), color(role::ringOnPanel));
    drawLabel(dc, L"Standard: AUS", box(260, 57, 408, 78), text, g_app.fontBody, kLabelLeft);
    drawLabel(dc, L"Tab oder Extra Fenster", box(260, 78, 408, 96), secondary, g_app.fontSmall,
              kLabelLeft);
    drawRoundPanel(dc, box(230, 114, 420, 206), 12, panel, outline);
    drawLabel(dc, L"Orbit Status", box(244, 124, 408, 144), text, g_app.fontBody, kLabelLeft);
    drawDot(dc, 246, 154, 34, color(role::markAccent2), color(role::ringOnPanel));
    drawLabel(dc, L"Corvanta Admin", box(290, 150, 408, 170), text, g_app.fontBody, kLabelLeft);
    drawLabel(dc, L"Online - Community Build", box(290, 170, 408, 190), secondary,
              g_app.fontSmall, kLabelLeft);
    drawLabel(dc, L"TEXT-CHANNELS", box(230, 222, 420, 240), secondary, g_app.fontSmall,
              kLabelLeft);

    static const wchar_t* const kChannels[] = {L"# allgemein", L"# creators", L"# live-help",
                                               L"# mixforge", L"# feedback"};
    for (int i = 0; i < 5; ++i) {
        const int top = 246 + 30 * i;
        // The first row is the highlighted one whatever the screen.
        const bool selected = i == 0;
        const Color fill = color(selected ? role::selectedRow : role::sidePanel);
        drawRoundPanel(dc, box(230, top, 420, top + 26), 8, fill,
                       selected ? color(role::selectedRowOutline) : fill);
        drawLabel(dc, kChannels[i], box(242, top, 412, top + 26),
                  selected ? color(role::selectedRowText) : secondary, g_app.fontBody, kLabelLeft);
    }
    drawLabel(dc, L"COMMUNITY ACTIONS", box(230, 352, 420, 370), secondary, g_app.fontSmall,
              kLabelLeft);
}

struct ChatMessage {
    const wchar_t* author;
    const wchar_t* text;
    Role avatar;
};

void drawContent(HDC dc, int cr, int h) {
    const Color text = color(role::text), secondary = color(role::secondaryText);
    const Color panel = color(role::panel), outline = color(role::outline);
    drawRoundPanel(dc, box(450, 16, cr - 18, 96), 16, color(role::banner),
                   color(role::bannerOutline));
    drawDot(dc, 468, 34, 42, color(role::markAccent), color(role::ringAccent2));
    drawLabel(dc, L"CORVANTA - Willkommen", box(524, 33, cr - 148, 59), color(role::bannerTitle),
              g_app.fontTitle, kLabelLeft);
    drawLabel(dc, L"Dein Creator-Universum: Chat, Community Table, Live und Wallet in einem Raum.",
              box(524, 60, cr - 40, 84), color(role::bannerText), g_app.fontBody, kLabelLeftCut);

    drawFilledRect(dc, box(kContentLeft, 108, cr, 150), panel);
    drawLabel(dc, channelLabel(g_app.screen), box(454, 112, cr - 142, 136), text, g_app.fontTitle,
              kLabelLeft);
    drawLabel(dc, modeHint(g_app.screen), box(454, 134, cr - 22, 150), secondary, g_app.fontSmall,
              kLabelLeftCut);
    {
        const LinePen pen(dc, 1, outline);
        pen.line(kContentLeft, 150, cr, 150);
    }

    drawRoundPanel(dc, box(450, 166, cr - 18, h - 18), 14, panel, outline);
    drawLabel(dc, L"Heute", box(466, 180, cr - 34, 200), secondary, g_app.fontSmall, kLabelLeft);

    static const ChatMessage kMessages[] = {
        {L"Oskar", L"Community Table ist offen. Wer will mit Kamera oder PTT rein?",
         role::markAccent},
        {L"Brann", L"Danach kurz Trevacast Studio testen: Szene, Quelle, Mixer, Go Live.",
         role::markAccent2},
        {L"Cora", L"Wallet und Gifts bleiben server-authoritativ. Keine lokalen Fake-Balances.",
         role::markAssistant},
    };
    for (int k = 0; k < 3; ++k) {
        const int y = 210 + 56 * k;
        drawDot(dc, 468, y + 6, 30, color(kMessages[k].avatar), color(role::ringOnPanel));
        drawLabel(dc, kMessages[k].author, box(508, y, cr - 34, y + 20), text, g_app.fontBody,
                  kLabelLeft);
        drawLabel(dc, kMessages[k].text, box(508, y + 20, cr - 34, y + 46), secondary,
                  g_app.fontBody, kLabelLeftCut);
    }

    drawRoundPanel(dc, box(466, h - 70, cr - 34, h - 34), 10, color(role::messageField), outline);
    drawLabel(dc, L"Nachricht schreiben...", box(482, h - 70, cr - 84, h - 34), secondary,
              g_app.fontBody, kLabelLeft);
    drawLabel(dc, L">", box(cr - 68, h - 70, cr - 46, h - 34), color(role::accentText),
              g_app.fontTitle, kLabelCenter);
}

void drawRightPanel(HDC dc, int cr, int w, int h) {
    const Color text = color(role::text), secondary = color(role::secondaryText);
    drawLabel(dc, L"Mitglieder", box(cr + 18, 16, w - 18, 42), text, g_app.fontTitle, kLabelLeft);
    drawLabel(dc, L"online und im Creator-Universum", box(cr + 18, 42, w - 18, 62), secondary,
              g_app.fontSmall, kLabelLeft);

    static const wchar_t* const kNames[] = {L"Oskar - Host", L"Brann - Studio", L"Liesel - Viewer",
                                            L"Cora - KI"};
    static const wchar_t* const kStates[] = {L"live-ready", L"online", L"online", L"online"};
    for (int m = 0; m < 4; ++m) {
        const int y = 82 + 48 * m;
        drawDot(dc, cr + 20, y, 30, color(m == 3 ? role::markAssistant : role::markAccent),
                color(role::ringOnSidePanel));
        drawLabel(dc, kNames[m], box(cr + 62, y - 2, w - 18, y + 20), text, g_app.fontBody,
                  kLabelLeft);
        drawLabel(dc, kStates[m], box(cr + 62, y + 18, w - 18, y + 38), secondary,
                  g_app.fontSmall, kLabelLeft);
    }

    drawRoundPanel(dc, box(cr + 16, 292, w - 16, 382), 14, color(role::panel),
                   color(role::outline));
    // DrawTextW takes a single '&' as a mnemonic prefix and would underline the space instead.
    drawLabel(dc, L"Wallet && Gifts", box(cr + 30, 304, w - 30, 328), text, g_app.fontBody,
              kLabelLeft);
    drawLabel(dc, L"Balance wird nur vom Server bestaetigt.", box(cr + 30, 332, w - 30, 354),
              secondary, g_app.fontSmall, kLabelLeftCut);
    drawLabel(dc, L"Credits 12.440", box(cr + 30, 354, w - 30, 370), color(role::accentText),
              g_app.fontTitle, kLabelLeft);
    drawLabel(dc, L"API Log", box(cr + 18, h - 214, w - 18, h - 190), text, g_app.fontBody,
              kLabelLeft);
}

// Small paints (the logo's tick, eight times a second) share one kept 32-bit DIB and memory DC:
// under Wine a new bitmap costs a fresh memory mapping with its page faults, a bitmap
// compatible with the window a few questions to the server about the display, and a new DC an
// X graphics context. A large paint (a full repaint) gets a compatible bitmap of its own, the
// cheaper kind at that size, freed right after: no copy of the whole window stays in memory.
constexpr long kKeptPixels = 160L * 160L;

class OffscreenBitmap {
  public:
    OffscreenBitmap(HDC dc, int width, int height) {
        if (static_cast<long>(width) * height > kKeptPixels) {
            own_.emplace(CreateCompatibleBitmap(dc, width, height));
            handle_ = own_->get();
            return;
        }
        static std::optional<GdiObject> kept;
        static int keptWidth = 0, keptHeight = 0;
        if (!kept || kept->get() == nullptr || keptWidth < width || keptHeight < height) {
            // Grown to hold both, unless that is big: a strip across and a strip down the
            // window would otherwise keep a bitmap of the whole window.
            const int grownWidth = std::max(keptWidth, width);
            const int grownHeight = std::max(keptHeight, height);
            const bool small = static_cast<long>(grownWidth) * grownHeight <= kKeptPixels;
            keptWidth = small ? grownWidth : width;
            keptHeight = small ? grownHeight : height;
            kept.reset();
            kept.emplace(createDib(dc, keptWidth, keptHeight));
        }
        handle_ = kept->get();
    }
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;
    HGDIOBJ get() const { return handle_; }

  private:
    std::optional<GdiObject> own_;
    HGDIOBJ handle_ = nullptr;
};

HDC keptMemoryDc(HDC compatibleWith) {
    static std::optional<MemoryDc> kept;
    if (!kept || kept->get() == nullptr) {
        kept.reset();
        kept.emplace(compatibleWith);
    }
    return kept->get();
}

} // namespace

void paintOffscreen(HDC target, const RECT& area, const RECT& client,
                    void (*draw)(HDC dc, const RECT& client)) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    // The whole picture is drawn in client coordinates into a bitmap that covers just the area;
    // GDI clips everything else away. The window then gets the finished pixels in one copy, so
    // it never shows a half-drawn state.
    HDC memory = keptMemoryDc(target);
    const OffscreenBitmap bitmap(target, width, height);
    if (memory == nullptr || bitmap.get() == nullptr) {
        draw(target, client);
        return;
    }
    const Selection selection(memory, bitmap.get());
    // The DC outlives the paint: whatever the drawing changes is put back.
    const SavedDcState saved(memory);
    SetWindowOrgEx(memory, area.left, area.top, nullptr);
    draw(memory, client);
    BitBlt(target, area.left, area.top, width, height, memory, area.left, area.top, SRCCOPY);
}

void paintClient(HDC dc, const RECT& client) {
    if (g_app.showLogin) {
        paintLoginScreen(dc, client);
        return;
    }
    const SavedDcState saved(dc);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    const bool wide = isWide(w);
    const int cr = contentRight(w);

    drawFilledRect(dc, box(0, 0, w, h), color(role::background));
    drawFilledRect(dc, box(0, 0, kRail, h), color(role::background));
    drawFilledRect(dc, box(kRail, 0, kContentLeft, h), color(role::sidePanel));
    drawFilledRect(dc, box(kContentLeft, 0, cr, h), color(role::panel));
    if (wide) {
        drawFilledRect(dc, box(cr, 0, w, h), color(role::sidePanel));
    }
    {
        const LinePen pen(dc, 1, color(role::outline));
        pen.line(kRail, 0, kRail, h);
        pen.line(kContentLeft, 0, kContentLeft, h);
        if (wide) {
            pen.line(cr, 0, cr, h);
        }
    }

    drawRail(dc, h);
    drawSidebar(dc);

    if (g_app.screen == Screen::Trevacast) {
        // The studio tab takes the content column and the right panel's area.
        drawTrevacastTab(dc, kContentLeft, w, h);
        return;
    }
    drawContent(dc, cr, h);
    if (wide) {
        drawRightPanel(dc, cr, w, h);
    }
}

void paintWindow(HWND hwnd, void (*draw)(HDC dc, const RECT& client)) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc != nullptr) {
        // Painting runs inside a window procedure: nothing may escape it, and EndPaint must run.
        try {
            // The picture is drawn in 96-DPI units of the client area, enlarged as it is drawn.
            const AreaScale scale = clientScale(hwnd);
            const ScaledPainting scaled(scale);
            paintOffscreen(dc, ps.rcPaint, RECT{0, 0, scale.width(), scale.height()}, draw);
        } catch (...) {
        }
    }
    EndPaint(hwnd, &ps);
}

void paint(HWND hwnd) {
    paintWindow(hwnd, paintClient);
}

} // namespace corvanta
