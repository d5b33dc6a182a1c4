#include "support/main_window.h"

#include "backend/requests.h"
#include "media/probe.h"
#include "shell/app_state.h"
#include "shell/ids.h"
#include "shell/layout.h"
#include "shell/window.h"
#include "studio/studio.h"

namespace cvtest {

MainWindow::MainWindow(AsOpened) {
    static const bool registered = [] {
        corvanta::registerWindowClasses(GetModuleHandleW(nullptr));
        return true;
    }();
    (void)registered;
    corvanta::g_app = corvanta::AppState{};
    hwnd_ = corvanta::createMainWindow(GetModuleHandleW(nullptr));
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    pump();
}

MainWindow::MainWindow(int clientWidth, int clientHeight) : MainWindow(AsOpened{}) {
    resizeClient(clientWidth, clientHeight);
    pump();
}

MainWindow::~MainWindow() {
    if (IsWindow(hwnd_)) {
        DestroyWindow(hwnd_);
    }
    // Drop the quit message and anything else addressed to the dead window (the answers posted
    // before it died were freed with it).
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            DispatchMessageW(&msg);
        }
    }
    corvanta::g_app = corvanta::AppState{};
    corvanta::g_trevacastHwnd = nullptr;
}

void MainWindow::resizeClient(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame can differ from AdjustWindowRectEx's guess: correct by what is measured.
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT client{}, outer{};
        GetClientRect(hwnd_, &client);
        if (client.right == width && client.bottom == height) {
            break;
        }
        GetWindowRect(hwnd_, &outer);
        SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + (width - client.right),
                     outer.bottom - outer.top + (height - client.bottom),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    corvanta::layout(hwnd_);
}

void MainWindow::command(int id) {
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void MainWindow::pump(int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool MainWindow::pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(timeoutMs);
    while (!done()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) {
            return done();
        }
        pump(10);
    }
    return true;
}

int MainWindow::closeAndFinish() {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    return corvanta::runMessageLoop();
}

std::wstring MainWindow::output() const {
    const int length = GetWindowTextLengthW(corvanta::g_app.output);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(corvanta::g_app.output, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void MainWindow::signInForTest(const char* token) {
    corvanta::g_app.token = token;
    corvanta::g_app.showLogin = false;
    corvanta::followLogoVisibility();
    corvanta::layout(hwnd_);
}

RECT childRect(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool isShown(HWND control) { return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

bool hasPendingPaint(HWND hwnd) { return GetUpdateRect(hwnd, nullptr, FALSE) != FALSE; }

} // namespace cvtest
