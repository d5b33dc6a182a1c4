// One full repaint of the login screen in the real main window (its child controls included),
// against one full repaint of the bare window; both windows in this process, shown in turn, the
// samples alternating. For the record also the window's own paint without its controls, and one
// logo tick. With --scaled, on a display scaled above 96 DPI: the full repaint at that scale
// against the same at 96 DPI.
#include "bare_window.h"
#include "report.h"
#include "shell/app_state.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "shell/window.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Shows only this window (hidden windows do not paint), lets it settle, and times `repaints`
// calls of `repaint`: the median of the single calls, in milliseconds. Each call ends with an
// empty message peek, where Wine hands the painted window surface to the X server, as the
// message loop would right after a paint.
template <typename F> double timed(HWND show, HWND hide, int repaints, F&& repaint) {
    ShowWindow(hide, SW_HIDE);
    ShowWindow(show, SW_SHOWNOACTIVATE);
    UpdateWindow(show);
    pump();
    std::vector<double> calls;
    for (int i = 0; i < repaints; ++i) {
        const double t0 = bench::nowMs();
        repaint();
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        calls.push_back(bench::nowMs() - t0);
    }
    return bench::median(calls);
}

void fullRepaint(HWND hwnd, UINT children = RDW_ALLCHILDREN) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | children);
}

// A report as long as the output box ever gets (12,000 bytes of body): `unit` repeated.
std::wstring report(const std::wstring& unit) {
    std::wstring text = L"Status: 200\r\n\r\nAntwort:\r\n";
    while (text.size() < 12000) {
        text += unit;
    }
    return text;
}

// From an empty box to the text on screen, in milliseconds.
template <typename F> double shown(HWND output, F&& show) {
    SetWindowTextW(output, L"");
    pump();
    const double t0 = bench::nowMs();
    show();
    UpdateWindow(output);
    pump();
    return bench::nowMs() - t0;
}

// The program's setOutput against one SetWindowTextW of the same text into the same box.
void outputRows(HWND program, int pairs) {
    corvanta::g_app.showLogin = false;
    corvanta::layout(program);
    ShowWindow(program, SW_SHOWNOACTIVATE);
    HWND output = corvanta::g_app.output;
    struct Row {
        const char* what;
        std::wstring text;
    };
    const Row rows[] = {
        {"a report of 12 KB of JSON into the output box (vs one SetWindowTextW)",
         report(L"{\"id\":12345,\"name\":\"Kanal\"},")},
        {"a report of 12 KB of numbers into the output box (vs one SetWindowTextW)",
         report(L"100007,")},
    };
    for (const Row& row : rows) {
        std::vector<double> pieces, plain;
        for (int i = 0; i < pairs; ++i) {
            pieces.push_back(shown(output, [&] { corvanta::setOutput(row.text); }));
            plain.push_back(shown(output, [&] { SetWindowTextW(output, row.text.c_str()); }));
        }
        bench::printRow(row.what, pieces, plain, "ms", 1, bench::Goal{0, 0, "for the record"});
    }
}

// A main window made while the thread has this DPI awareness: a DPI-unaware one is drawn at
// 96 DPI on any display.
HWND mainWindowAware(HINSTANCE instance, DPI_AWARENESS_CONTEXT context) {
    using SetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    const DPI_AWARENESS_CONTEXT before = setContext ? setContext(context) : nullptr;
    HWND window = corvanta::createMainWindow(instance);
    if (setContext != nullptr) {
        setContext(before);
    }
    return window;
}

void closeMainWindow(HWND window) {
    DestroyWindow(window);
    pump();
    corvanta::g_app = corvanta::AppState{};
}

// The whole login card at the display's scale against at 96 DPI, each in a window of its own
// made for the round and closed after it, in alternation.
int scaledRows(HINSTANCE instance, HWND bare, int rounds, int repaints) {
    std::vector<double> scaled, unscaled;
    int dpi = 0;
    for (int i = 0; i < rounds; ++i) {
        for (const bool aware : {true, false}) {
            HWND window = mainWindowAware(instance, aware ? DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
                                                          : DPI_AWARENESS_CONTEXT_UNAWARE);
            if (window == nullptr) {
                return 1;
            }
            KillTimer(window, corvanta::ID_TIMER_LOGO);
            if (aware) {
                dpi = static_cast<int>(GetDpiForWindow(window));
            }
            timed(window, bare, 2, [&] { fullRepaint(window); }); // warm-up
            (aware ? scaled : unscaled)
                .push_back(timed(window, bare, repaints, [&] { fullRepaint(window); }));
            closeMainWindow(window);
        }
    }
    const double pixels = static_cast<double>(dpi) * dpi / (96.0 * 96.0);
    char what[128], goal[64];
    std::snprintf(what, sizeof(what), "one full repaint of the login card at %d DPI (vs 96 DPI)",
                  dpi);
    std::snprintf(goal, sizeof(goal), "<= %.2fx (the pixel count)", pixels);
    bench::printRow(what, scaled, unscaled, "ms", 3, bench::Goal{pixels, 0, goal});
    return dpi > 96 ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Three short rounds per pair: a burst of load elsewhere on the machine then spoils one
    // sample, not a whole side of the comparison.
    const int rounds = 3 * (argc > 1 ? _wtoi(argv[1]) : 7);
    constexpr int kRepaints = 15;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    corvanta::registerWindowClasses(instance);
    if (argc > 2 && std::wstring(argv[2]) == L"--scaled") {
        HWND bare = bench::createBareWindow(instance, false);
        return bare != nullptr ? scaledRows(instance, bare, rounds, kRepaints) : 1;
    }
    HWND program = corvanta::createMainWindow(instance);
    HWND bare = bench::createBareWindow(instance, false);
    if (program == nullptr || bare == nullptr) {
        std::fprintf(stderr, "cannot create the windows\n");
        return 1;
    }
    // Ticks are sent by hand below.
    KillTimer(program, corvanta::ID_TIMER_LOGO);

    std::vector<double> programFull, programOwn, bareFull, tick;
    timed(program, bare, kRepaints, [&] { fullRepaint(program); }); // warm-up
    timed(bare, program, kRepaints, [&] { fullRepaint(bare); });
    for (int i = 0; i < rounds; ++i) {
        programFull.push_back(timed(program, bare, kRepaints, [&] { fullRepaint(program); }));
        bareFull.push_back(timed(bare, program, kRepaints, [&] { fullRepaint(bare); }));
        programOwn.push_back(
            timed(program, bare, kRepaints, [&] { fullRepaint(program, RDW_NOCHILDREN); }));
        tick.push_back(timed(program, bare, kRepaints, [&] {
            SendMessageW(program, WM_TIMER, corvanta::ID_TIMER_LOGO, 0);
            UpdateWindow(program);
        }));
    }
    bench::printRow("one full repaint of the login card", programFull, bareFull, "ms", 3,
                    bench::Goal{1.3, 0, "<= 1.3x"});
    bench::printRow("the same without the five controls (main window's own paint)", programOwn,
                    bareFull, "ms", 3, bench::Goal{0, 0, "for the record"});
    bench::printRow("one logo tick (program) vs one timer repaint (bare)", tick, bareFull, "ms", 3,
                    bench::Goal{0, 0, "for the record"});
    ShowWindow(bare, SW_HIDE);
    outputRows(program, rounds / 3);
    DestroyWindow(program);
    DestroyWindow(bare);
    return 0;
}
