// The studio window's life through real windows: created once, hidden on close, shown again,
// destroyed with its owner.
#include "paint/shell_fonts.h"
#include "shell/app_state.h"
#include "studio/studio.h"
#include "support/dib.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvanta;
using cvtest::Dib;

namespace {

constexpr COLORREF kWindowBg = RGB(0x02, 0x0C, 0x16);
constexpr COLORREF kBar = RGB(0x05, 0x15, 0x25);

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ADD_FAILURE() << "the studio window posted a quit message";
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int countStudioWindows() {
    int n = 0;
    HWND h = nullptr;
    while ((h = FindWindowExW(nullptr, h, kStudioWindowClass, nullptr)) != nullptr) {
        ++n;
    }
    return n;
}

SIZE outerSize(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

class StudioWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const ATOM atom = registerStudioWindowClass(GetModuleHandleW(nullptr));
        ASSERT_NE(atom, 0);
        WNDCLASSW owner{};
        owner.lpfnWndProc = DefWindowProcW;
        owner.hInstance = GetModuleHandleW(nullptr);
        owner.lpszClassName = L"CvTestStudioOwner";
        ASSERT_NE(RegisterClassW(&owner), 0);
    }

    void SetUp() override {
        owner_ = CreateWindowExW(0, L"CvTestStudioOwner", L"owner", WS_OVERLAPPEDWINDOW, 10, 10,
                                 600, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        // Left hidden: without a window manager Wine waits two seconds for every visible
        // managed window that goes away.
        g_app.hwnd = owner_;
        g_trevacastHwnd = nullptr;
    }
    void TearDown() override {
        if (IsWindow(owner_)) {
            DestroyWindow(owner_);
        }
        pumpMessages();
        g_app.hwnd = nullptr;
        EXPECT_EQ(g_trevacastHwnd, nullptr);
        EXPECT_EQ(countStudioWindows(), 0);
    }

    cvtest::ShellFonts fonts_;
    HWND owner_ = nullptr;
};

TEST_F(StudioWindow, RegisteredClassMatchesTheShell) {
    WNDCLASSW wc{};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), kStudioWindowClass, &wc));
    EXPECT_EQ(wc.lpfnWndProc, &trevacastWndProc);
    EXPECT_EQ(wc.style, 0u);
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    EXPECT_EQ(wc.hCursor, LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(StudioWindow, OpensOnceOwnedByTheMainWindow) {
    openTrevacastStudioWindow();
    pumpMessages();
    HWND studio = g_trevacastHwnd;
    ASSERT_NE(studio, nullptr);
    EXPECT_TRUE(IsWindowVisible(studio));
    EXPECT_EQ(GetWindow(studio, GW_OWNER), owner_);
    const SIZE size = outerSize(studio);
    EXPECT_EQ(size.cx, 1180);
    EXPECT_EQ(size.cy, 740);
    wchar_t title[64] = {};
    GetWindowTextW(studio, title, 64);
    EXPECT_EQ(std::wstring(title), L"Corvanta Trevacast Studio");
    const LONG_PTR style = GetWindowLongPtrW(studio, GWL_STYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(GetWindowLongPtrW(studio, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // A second press raises the same window.
    openTrevacastStudioWindow();
    pumpMessages();
    EXPECT_EQ(g_trevacastHwnd, studio);
    EXPECT_EQ(countStudioWindows(), 1);
    EXPECT_TRUE(IsWindowVisible(studio));
}

TEST_F(StudioWindow, CloseHidesAndThePressBringsTheSameWindowBack) {
    openTrevacastStudioWindow();
    pumpMessages();
    HWND studio = g_trevacastHwnd;
    ASSERT_NE(studio, nullptr);
    ASSERT_TRUE(SetWindowPos(studio, nullptr, 40, 30, 1100, 700, SWP_NOZORDER | SWP_NOACTIVATE));
    RECT placed{};
    GetWindowRect(studio, &placed);

    SendMessageW(studio, WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_TRUE(IsWindow(studio));
    EXPECT_FALSE(IsWindowVisible(studio));
    EXPECT_EQ(g_trevacastHwnd, studio);
    EXPECT_TRUE(IsWindow(owner_));

    openTrevacastStudioWindow();
    pumpMessages();
    EXPECT_EQ(g_trevacastHwnd, studio);
    EXPECT_TRUE(IsWindowVisible(studio));
    EXPECT_EQ(countStudioWindows(), 1);
    RECT shown{};
    GetWindowRect(studio, &shown);
    EXPECT_EQ(shown.left, placed.left);
    EXPECT_EQ(shown.top, placed.top);
    EXPECT_EQ(shown.right, placed.right);
    EXPECT_EQ(shown.bottom, placed.bottom);
}

TEST_F(StudioWindow, PressRestoresAMinimisedWindow) {
    openTrevacastStudioWindow();
    pumpMessages();
    HWND studio = g_trevacastHwnd;
    ASSERT_NE(studio, nullptr);
    ShowWindow(studio, SW_MINIMIZE);
    pumpMessages();
    EXPECT_TRUE(IsIconic(studio));
    openTrevacastStudioWindow();
    pumpMessages();
    EXPECT_FALSE(IsIconic(studio));
    EXPECT_TRUE(IsWindowVisible(studio));
}

TEST_F(StudioWindow, DiesWithItsOwner) {
    openTrevacastStudioWindow();
    pumpMessages();
    HWND studio = g_trevacastHwnd;
    ASSERT_NE(studio, nullptr);
    SendMessageW(studio, WM_CLOSE, 0, 0); // hidden windows go too
    DestroyWindow(owner_);
    pumpMessages();
    EXPECT_FALSE(IsWindow(studio));
    EXPECT_EQ(g_trevacastHwnd, nullptr);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

    // The next press creates a new window.
    owner_ = CreateWindowExW(0, L"CvTestStudioOwner", L"owner", WS_OVERLAPPEDWINDOW, 10, 10, 600,
                             400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    g_app.hwnd = owner_;
    openTrevacastStudioWindow();
    pumpMessages();
    EXPECT_NE(g_trevacastHwnd, nullptr);
    EXPECT_TRUE(IsWindow(g_trevacastHwnd));
}

TEST_F(StudioWindow, StaleHandleIsReplacedByANewWindow) {
    HWND gone = CreateWindowExW(0, L"CvTestStudioOwner", L"gone", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    g_trevacastHwnd = gone;
    openTrevacastStudioWindow();
    pumpMessages();
    ASSERT_NE(g_trevacastHwnd, nullptr);
    EXPECT_NE(g_trevacastHwnd, gone);
    EXPECT_EQ(countStudioWindows(), 1);
}

TEST_F(StudioWindow, DestroyingAnotherStudioWindowKeepsTheHandle) {
    openTrevacastStudioWindow();
    pumpMessages();
    HWND studio = g_trevacastHwnd;
    ASSERT_NE(studio, nullptr);
    HWND other = CreateWindowExW(0, kStudioWindowClass, L"other", WS_OVERLAPPEDWINDOW, 0, 0, 1100,
                                 700, owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    DestroyWindow(other);
    pumpMessages();
    EXPECT_EQ(g_trevacastHwnd, studio);
}

TEST_F(StudioWindow, MinimumTrackingSize) {
    openTrevacastStudioWindow();
    pumpMessages();
    HWND studio = g_trevacastHwnd;
    ASSERT_NE(studio, nullptr);
    MINMAXINFO info{};
    info.ptMinTrackSize = POINT{1, 1};
    info.ptMaxTrackSize = POINT{5000, 5000};
    EXPECT_EQ(SendMessageW(studio, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, 1020);
    EXPECT_EQ(info.ptMinTrackSize.y, 640);
    EXPECT_EQ(info.ptMaxTrackSize.x, 5000);

    // Sizing through the system honours it as well.
    SetWindowPos(studio, nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const SIZE size = outerSize(studio);
    EXPECT_GE(size.cx, 1020);
    EXPECT_GE(size.cy, 640);
}

TEST_F(StudioWindow, PaintsItsClientAndRepaintsAllOfItAfterASizeChange) {
    openTrevacastStudioWindow();
    pumpMessages();
    HWND studio = g_trevacastHwnd;
    ASSERT_NE(studio, nullptr);
    RECT update{};
    EXPECT_FALSE(GetUpdateRect(studio, &update, FALSE)); // painted at once

    RECT client{};
    GetClientRect(studio, &client);
    Dib shot(client.right, client.bottom);
    HDC dc = GetDC(studio);
    BitBlt(shot.dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(studio, dc);
    EXPECT_EQ(shot.at(5, 5), kBar);
    EXPECT_EQ(shot.at(5, 48), kWindowBg);

    // The picture hangs on the right and bottom edges: a size change must redraw all of it,
    // not only the newly exposed strip.
    // (Wine invalidates everything on a real resize anyway, so the message is sent directly.)
    SetWindowPos(studio, nullptr, 0, 0, 1300, 800, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(studio);
    GetClientRect(studio, &client);
    ASSERT_FALSE(GetUpdateRect(studio, &update, FALSE));
    SendMessageW(studio, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    ASSERT_TRUE(GetUpdateRect(studio, &update, FALSE));
    EXPECT_EQ(update.left, 0);
    EXPECT_EQ(update.top, 0);
    EXPECT_EQ(update.right, client.right);
    EXPECT_EQ(update.bottom, client.bottom);
    UpdateWindow(studio);
    EXPECT_FALSE(GetUpdateRect(studio, &update, FALSE));
}

} // namespace
