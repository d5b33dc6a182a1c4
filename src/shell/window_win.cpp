#include "shell/window.h"

#include "actions/actions.h"
#include "actions/session_writer.h"
#include "backend/requests.h"
#include "media/probe.h"
#include "render/buttons.h"
#include "render/paint.h"
#include "render/theme.h"
#include "shell/accessibility.h"
#include "shell/app_state.h"
#include "shell/geometry.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "shell/message_pointer.h"
#include "shell/window_dpi.h"
#include "shell/work_area.h"
#include "studio/studio.h"

namespace corvanta {
namespace {

// The main window clips its children, so invalidating it alone would leave the buttons whose
// look follows the state (the active rail button, the chosen start) as they were.
void invalidateWithControls(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void chooseStart(HWND hwnd, Screen start, const wchar_t* message) {
    const Screen before = g_app.startScreen;
    g_app.startScreen = start;
    announceSelectionChange(g_app.screen, before);
    setLoginMessage(message);
    invalidateWithControls(hwnd);
}

// Between two ticks only the logo changes, so a tick repaints just the square it lives in.
void invalidateLogo(HWND hwnd) {
    const AreaScale scale = clientScale(hwnd);
    const Rect logo = logoBounds(loginCardRect(scale.width(), scale.height()));
    // A pixel more on each side: rounding may put an edge of the enlarged logo one further out.
    const int margin = scale.dpi() == kBaseDpi ? 0 : 1;
    const RECT area{scale.x(logo.left) - margin, scale.y(logo.top) - margin,
                    scale.x(logo.right) + margin, scale.y(logo.bottom) + margin};
    InvalidateRect(hwnd, &area, FALSE);
}

// True when the id was one of the shell's commands.
bool dispatchCommand(HWND hwnd, int id) {
    switch (id) {
    case ID_NAV_ORBITAL: setScreen(Screen::Orbital); return true;
    case ID_NAV_SPEECH: setScreen(Screen::Community); return true;
    case ID_NAV_LIVE: setScreen(Screen::Live); return true;
    case ID_NAV_WALLET: setScreen(Screen::Wallet); return true;
    case ID_NAV_PROFILE: setScreen(Screen::Profile); return true;
    case ID_NAV_STUDIO: setScreen(Screen::Studio); return true;
    case ID_NAV_ASSETS: setScreen(Screen::Assets); return true;
    case ID_NAV_SETTINGS: setScreen(Screen::Settings); return true;
    case ID_NAV_DM: setScreen(Screen::DirectMessages); return true;
    case ID_NAV_TREVACAST: setScreen(Screen::Trevacast); return true;
    case ID_BTN_LOGIN: doLogin(); return true;
    case ID_BTN_REFRESH: doRefresh(); return true;
    case ID_BTN_LIVEKIT: runLiveKitProbeAsync(); return true;
    case ID_BTN_COMMUNITY_LOAD: doCommunityLoad(); return true;
    case ID_BTN_COMMUNITY_TITLE: doCommunityTitle(); return true;
    case ID_BTN_COMMUNITY_CLAN_CREATE: doCommunityClanCreate(); return true;
    case ID_BTN_COMMUNITY_CLAN_JOIN: doCommunityClanJoin(); return true;
    case ID_BTN_LOGOUT: doLogout(); return true;
    case ID_BTN_TREVACAST: openTrevacastStudioWindow(); return true;
    case ID_BTN_START_COMMUNITY:
        chooseStart(hwnd, Screen::Community, L"Nach Login startet die Community.");
        return true;
    case ID_BTN_START_TREVACAST:
        chooseStart(hwnd, Screen::Trevacast, L"Nach Login startet Trevacast.");
        return true;
    default: return false;
    }
}

bool g_logoTimerRunning = false;

// The pulse is seen only on the login card of a window that shows, and only moves when the user
// lets things move; otherwise no timer wakes the program.
bool logoCanPulse(HWND hwnd) {
    return g_app.showLogin && currentTheme().animations && IsWindowVisible(hwnd) &&
           !IsIconic(hwnd);
}

// Coalescable where Windows offers it (8 and later), so that one wakeup serves several programs.
void startLogoTimer(HWND hwnd) {
    using SetCoalescableTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);
    static const auto coalescable = [] {
        const HMODULE user = GetModuleHandleW(L"user32.dll");
        return user != nullptr ? reinterpret_cast<SetCoalescableTimerFn>(reinterpret_cast<void*>(
                                     GetProcAddress(user, "SetCoalescableTimer")))
                               : nullptr;
    }();
    constexpr UINT kPeriodMs = 120, kToleranceMs = 30;
    g_logoTimerRunning =
        (coalescable != nullptr && coalescable(hwnd, ID_TIMER_LOGO, kPeriodMs, nullptr,
                                               kToleranceMs) != 0) ||
        SetTimer(hwnd, ID_TIMER_LOGO, kPeriodMs, nullptr) != 0;
}

void deleteIfSet(HGDIOBJ object) {
    if (object != nullptr) {
        DeleteObject(object);
    }
}

LRESULT handleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        g_app.hwnd = hwnd;
        reloadTheme();
        createUi(hwnd);
        return 0; // the logo's timer starts once the window shows
    case WM_DESTROY:
        KillTimer(hwnd, ID_TIMER_LOGO);
        g_logoTimerRunning = false;
        // Answers still on their way would reach no procedure now.
        dropIssuedHttpCompletions();
        dropIssuedLiveKitResults();
        // Pending session writes are waited for once the loop has ended: by then no window of
        // the program is left on screen, or in anyone's way.
        deleteIfSet(g_app.fontBody);
        deleteIfSet(g_app.fontTitle);
        deleteIfSet(g_app.fontSmall);
        deleteIfSet(g_app.fontHero);
        deleteIfSet(g_app.fontMono);
        deleteIfSet(g_app.surfaceBrush);
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        // Panels anchored to the right and bottom move: what was painted before is stale.
        layout(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_PAINT: paint(hwnd); return 0;
    // Every paint covers the whole invalid area, so erasing first would only flicker.
    case WM_ERASEBKGND: return 1;
    case WM_GETMINMAXINFO:
        limitMinTrackSize(hwnd, structFromSystem<MINMAXINFO>(lParam), kMinWindowWidth,
                          kMinWindowHeight);
        return 0;
    case WM_DPICHANGED:
        // Moved to a monitor of another scale. Fonts and layout follow the window's real DPI, so
        // a message from another program changes nothing.
        remakeFontsForDpi(hwnd);
        takeSuggestedRect(hwnd, structFromSystem<const RECT>(lParam));
        layout(hwnd);
        invalidateWithControls(hwnd);
        return 0;
    case WM_DRAWITEM:
        // Only for a button of this window, asked by the button itself.
        if (const auto* item = structFromSystem<const DRAWITEMSTRUCT>(lParam);
            item != nullptr && item->hwndItem != nullptr &&
            item->hwndItem == controlForId(static_cast<int>(item->CtlID))) {
            drawOwnerButton(item);
        }
        return TRUE;
    case WM_COMMAND:
        if (dispatchCommand(hwnd, LOWORD(wParam))) {
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == ID_TIMER_LOGO) {
            if (!logoCanPulse(hwnd)) {
                followLogoVisibility(); // a tick already queued when the logo went out of sight
                return 0;
            }
            g_app.logoFrame = (g_app.logoFrame + 1) % 28;
            invalidateLogo(hwnd);
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGED:
        // Shown, hidden, minimised or restored; WM_SIZE and WM_MOVE still follow from
        // DefWindowProc.
        followLogoVisibility();
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, color(role::fieldText));
        SetBkColor(dc, color(role::field));
        return reinterpret_cast<LRESULT>(fieldBrush());
    }
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        if (reloadThemeOn(msg, wParam)) {
            followLogoVisibility(); // animations may have been turned on or off
            // Painted anew in the colours now in force, the controls and the frame with it.
            RedrawWindow(hwnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
        break;
    case WM_CV_HTTP_DONE: handleHttpDone(lParam); return 0;
    case WM_CV_LIVEKIT_DONE: handleLiveKitDone(lParam); return 0;
    case WM_CV_SESSION_DONE: handleSessionDone(); return 0;
    // Nothing is unsaved: the program never stands in the way of a logoff, a shutdown or an
    // installer's request to close.
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            // Windows may end the process as soon as this returns, without WM_DESTROY. The windows
            // go first, so that none stays on screen frozen while a logout's delete finishes.
            if (g_trevacastHwnd != nullptr) {
                ShowWindow(g_trevacastHwnd, SW_HIDE);
            }
            ShowWindow(hwnd, SW_HIDE);
            finishSessionWritesAtSessionEnd(hwnd);
            DestroyWindow(hwnd);
        }
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

void followLogoVisibility() {
    const HWND hwnd = g_app.hwnd;
    if (hwnd == nullptr) {
        return;
    }
    const bool pulse = logoCanPulse(hwnd);
    if (pulse && !g_logoTimerRunning) {
        startLogoTimer(hwnd);
        invalidateLogo(hwnd); // from the frame it stopped at, or from still to moving
    } else if (!pulse && g_logoTimerRunning) {
        KillTimer(hwnd, ID_TIMER_LOGO);
        g_logoTimerRunning = false;
        if (g_app.showLogin) {
            invalidateLogo(hwnd); // animations turned off: drawn still
        }
    }
}

bool logoTimerRunning() {
    return g_logoTimerRunning;
}

void setScreen(Screen screen) {
    const Screen before = g_app.screen;
    g_app.screen = screen;
    announceSelectionChange(before, g_app.startScreen);
    refreshIntro();
    if (g_app.hwnd != nullptr) {
        layout(g_app.hwnd);
        invalidateWithControls(g_app.hwnd);
    }
}

LRESULT CALLBACK wndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        return handleMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        // Out of memory or a failed string operation: the action is dropped, the shell goes on.
        try {
            g_app.statusText = L"Interner Fehler: Aktion wurde abgebrochen.";
            setOutput(g_app.statusText);
        } catch (...) {
            // Still out of memory: drop the notice too.
        }
        return 0;
    }
}

ATOM registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = wndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kMainWindowClass;
    return RegisterClassW(&wc);
}

void registerWindowClasses(HINSTANCE instance) {
    registerMainWindowClass(instance);
    registerStudioWindowClass(instance);
}

int runMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // A logout just before closing must still remove the file.
    finishSessionWrites();
    return static_cast<int>(msg.wParam);
}

HWND createMainWindow(HINSTANCE instance) {
    // WS_CLIPCHILDREN: the window's own painting never covers its controls.
    HWND window = CreateWindowExW(0, kMainWindowClass, L"Corvanta Native Win",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 1320, 820, nullptr, nullptr, instance, nullptr);
    if (window != nullptr) {
        openInWorkArea(window, 1320, 820);
    }
    return window;
}

} // namespace corvanta
