// The detached studio window: at most one, owned by the main window, hidden (not destroyed) when
// closed, and brought back by "Extra Fenster". Its picture is a fixed mock-up.
#include "studio/studio.h"

#include "render/fonts.h"
#include "render/paint.h"
#include "render/primitives.h"
#include "render/theme.h"
#include "shell/app_state.h"
#include "shell/geometry.h"
#include "shell/message_pointer.h"
#include "shell/window_dpi.h"
#include "shell/work_area.h"

namespace corvanta {

HWND g_trevacastHwnd = nullptr;

namespace {

constexpr int kOpenWidth = 1180;
constexpr int kOpenHeight = 740;
constexpr int kMinTrackWidth = 1020;
constexpr int kMinTrackHeight = 640;

// Made for the studio window's own DPI: it may stand on another monitor than the main window.
ShellFonts g_studioFonts;

// The studio window's fonts once it has them; the shell's before (a picture drawn elsewhere).
ShellFonts fonts() {
    if (g_studioFonts.body != nullptr) {
        return g_studioFonts;
    }
    return {g_app.fontBody, g_app.fontTitle, g_app.fontSmall, g_app.fontHero, g_app.fontMono};
}

RECT box(int left, int top, int right, int bottom) {
    return RECT{left, top, right, bottom};
}
RECT box(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

void drawTopBar(HDC dc, int w) {
    const Color text = color(role::studioText), bright = color(role::studioTitle);
    drawFilledRect(dc, box(0, 0, w, 42), color(role::studioBar));
    drawLabel(dc, L"Trevacast Studio", box(16, 0, 260, 42), bright, fonts().title, kLabelLeft);
    drawLabel(dc, L"OBS-style native studio window", box(270, 0, w - 330, 42), text, fonts().mono,
              kLabelLeft);
    drawRoundPanel(dc, box(w - 136, 8, w - 18, 34), 8, color(role::goLive.fill),
                   color(role::goLive.outline));
    drawLabel(dc, L"GO LIVE", box(w - 136, 8, w - 18, 34), color(role::goLive.text), fonts().body,
              kLabelCenter);
}

void drawScenesAndSources(HDC dc) {
    const Color text = color(role::studioText), bright = color(role::studioTitle);
    drawLabel(dc, L"SCENES", box(26, 66, 238, 86), text, fonts().mono, kLabelLeft);
    static const wchar_t* const kScenes[] = {L"Start Soon", L"Creator Talk", L"Gameplay", L"Break"};
    for (int i = 0; i < 4; ++i) {
        const int top = 96 + 32 * i;
        const bool selected = i == 1;
        drawRoundPanel(dc, box(24, top, 240, top + 26), 6,
                       color(selected ? role::scene : role::row),
                       color(selected ? role::sceneOutline : role::rowOutline));
        drawLabel(dc, kScenes[i], box(34, top, 230, top + 26),
                  selected ? color(role::sceneText) : text, fonts().body, kLabelLeft);
    }

    drawLabel(dc, L"SOURCES", box(26, 244, 238, 264), text, fonts().mono, kLabelLeft);
    static const wchar_t* const kSources[] = {L"Display Capture", L"Camera", L"Corvanta Overlay",
                                              L"Gift Alerts"};
    for (int j = 0; j < 4; ++j) {
        const int top = 274 + 28 * j;
        drawRoundPanel(dc, box(24, top, 240, top + 24), 6, color(role::row),
                       color(role::rowOutline));
        drawDot(dc, 33, 281 + 28 * j, 10, color(j == 1 ? role::markLive : role::markAccent2),
                color(role::ringOnRow));
        drawLabel(dc, kSources[j], box(52, top, 230, top + 24), bright, fonts().smallText,
                  kLabelLeft);
    }
}

void drawProgram(HDC dc, int w, int h) {
    const Color text = color(role::studioText);
    drawLabel(dc, L"PROGRAM", box(280, 66, w - 314, 86), text, fonts().mono, kLabelLeft);
    {
        const LinePen pen(dc, 2, color(role::cornerMark));
        pen.line(286, 102, 338, 102);
        pen.line(286, 102, 286, 154);
        pen.line(w - 320, h - 184, w - 372, h - 184);
        pen.line(w - 320, h - 184, w - 320, h - 236);
    }
    drawLabel(dc, L"NO SIGNAL", box(264, 166, w - 298, 206), color(role::noSignal), fonts().mono,
              kLabelCenter);
    drawLabel(dc,
              L"Native preview shell. Real camera/screen capture requires the Windows media "
              L"implementation.",
              box(288, h - 210, w - 322, h - 184), text, fonts().smallText, kLabelCenterCut);
}

void drawChatAndHealth(HDC dc, int w, int h) {
    const Color text = color(role::studioText), bright = color(role::studioTitle);
    const int tl = w - 272;
    const int tr = w - 26;
    drawLabel(dc, L"CHAT", box(tl, 66, tr, 86), text, fonts().mono, kLabelLeft);
    static const wchar_t* const kLines[] = {
        L"Oskar: Audio check?", L"Brann: Scene Creator Talk aktiv", L"Cora: Gift alerts ready",
        L"Liesel: Stream sieht gut aus"};
    for (int c = 0; c < 4; ++c) {
        drawLabel(dc, kLines[c], box(tl, 100 + 34 * c, tr, 122 + 34 * c), c == 0 ? bright : text,
                  fonts().smallText, kLabelLeftCut);
    }
    drawLabel(dc, L"STREAM HEALTH", box(tl, h - 274, tr, h - 254), text, fonts().mono, kLabelLeft);
    drawLabel(dc, L"Bitrate 0 kbps  |  Dropped 0  |  CPU 4%", box(tl, h - 246, tr, h - 226),
              bright, fonts().smallText, kLabelLeftCut);
    drawLabel(dc, L"RTMP targets: Corvanta, YouTube, Twitch", box(tl, h - 220, tr, h - 200), text,
              fonts().smallText, kLabelLeftCut);
}

void drawMixerAndControls(HDC dc, int w, int h) {
    const Color text = color(role::studioText), bright = color(role::studioTitle);
    drawLabel(dc, L"AUDIO MIXER", box(28, h - 136, 192, h - 116), text, fonts().mono, kLabelLeft);
    static const wchar_t* const kChannels[] = {L"Mic/Aux", L"Desktop", L"Music", L"Alerts"};
    for (int k = 0; k < 4; ++k) {
        const int x = 30 + 166 * k;
        drawLabel(dc, kChannels[k], box(x, h - 102, x + 130, h - 84), bright, fonts().smallText,
                  kLabelLeft);
        drawFilledRect(dc, box(x, h - 74, x + 128, h - 68), color(role::meterTrack));
        drawFilledRect(dc, box(x, h - 74, x + 58 + 18 * k, h - 68),
                       color(k == 3 ? role::meterPeak : role::meterLevel));
        drawRoundPanel(dc, box(x, h - 54, x + 54, h - 28), 7, color(role::mute.fill),
                       color(role::mute.outline));
        drawLabel(dc, L"Mute", box(x, h - 54, x + 54, h - 28), color(role::mute.text),
                  fonts().smallText, kLabelCenter);
    }
    drawLabel(dc, L"Controls: Start Streaming | Start Recording | Studio Mode | Settings",
              box(w - 456, h - 98, w - 30, h - 70), bright, fonts().body, kLabelRightCut);
    drawLabel(dc, L"Separate Trevacast window, independent from Community chat.",
              box(w - 456, h - 62, w - 30, h - 38), text, fonts().smallText, kLabelRightCut);
}

LRESULT handleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        deleteShellFonts(g_studioFonts);
        g_studioFonts = makeShellFonts(windowDpi(hwnd));
        return 0;
    case WM_DESTROY:
        // Also reached when the owner (the main window) is destroyed. Never ends the program.
        if (hwnd == g_trevacastHwnd) {
            g_trevacastHwnd = nullptr;
            deleteShellFonts(g_studioFonts);
        }
        return 0;
    case WM_DPICHANGED:
        // Moved to a monitor of another scale.
        deleteShellFonts(g_studioFonts);
        g_studioFonts = makeShellFonts(windowDpi(hwnd));
        takeSuggestedRect(hwnd, structFromSystem<const RECT>(lParam));
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_PAINT:
        paintTrevacastStudio(hwnd);
        return 0;
    case WM_ERASEBKGND:
        // The paint covers every pixel of what it repaints; erasing first would only flash.
        return 1;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        // The theme is one for both windows; this one may hear of a change first.
        if (reloadThemeOn(msg, wParam)) {
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CLOSE:
        // Hidden, not destroyed: the next "Extra Fenster" brings it back where it was.
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    case WM_GETMINMAXINFO: {
        limitMinTrackSize(hwnd, structFromSystem<MINMAXINFO>(lParam), kMinTrackWidth,
                          kMinTrackHeight);
        return 0;
    }
    case WM_SIZE:
        // The picture is anchored to the right and bottom edges; with class style 0 only the
        // newly exposed strip would be repainted and the old right-hand parts would stay behind.
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

ATOM registerStudioWindowClass(HINSTANCE instance) {
    WNDCLASSW wc{};
    wc.style = 0;
    wc.lpfnWndProc = trevacastWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kStudioWindowClass;
    return RegisterClassW(&wc);
}

void openTrevacastStudioWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (g_trevacastHwnd != nullptr && IsWindow(g_trevacastHwnd)) {
        ShowWindow(g_trevacastHwnd, SW_SHOWNORMAL);
        SetForegroundWindow(g_trevacastHwnd);
        InvalidateRect(g_trevacastHwnd, nullptr, TRUE);
        return;
    }
    g_trevacastHwnd = CreateWindowExW(0, kStudioWindowClass, L"Corvanta Trevacast Studio",
                                      WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, kOpenWidth,
                                      kOpenHeight, g_app.hwnd, nullptr, instance, nullptr);
    if (g_trevacastHwnd != nullptr) {
        openInWorkArea(g_trevacastHwnd, kOpenWidth, kOpenHeight);
        ShowWindow(g_trevacastHwnd, SW_SHOWNORMAL);
        UpdateWindow(g_trevacastHwnd);
    }
}

LRESULT CALLBACK trevacastWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        return handleMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void paintTrevacastStudio(HWND hwnd) {
    paintWindow(hwnd, [](HDC dc, const RECT& client) {
        paintTrevacastStudioClient(dc, client.right - client.left, client.bottom - client.top);
    });
}

void paintTrevacastStudioClient(HDC dc, int width, int height) {
    const SavedDcState saved(dc);
    const int w = width, h = height;
    const StudioWindowPanels panels = studioWindowPanels(w, h);

    const Color bar = color(role::studioBar), columnOutline = color(role::columnOutline);
    drawFilledRect(dc, box(0, 0, w, h), color(role::studioWindowBackground));
    drawTopBar(dc, w);
    drawRoundPanel(dc, box(panels.left), 10, bar, columnOutline);
    drawRoundPanel(dc, box(panels.program), 10, color(role::program), color(role::programOutline));
    drawRoundPanel(dc, box(panels.chat), 10, bar, columnOutline);
    drawRoundPanel(dc, box(panels.bottom), 10, bar, columnOutline);
    drawScenesAndSources(dc);
    drawProgram(dc, w, h);
    drawChatAndHealth(dc, w, h);
    drawMixerAndControls(dc, w, h);
}

} // namespace corvanta
