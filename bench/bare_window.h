// The baseline every figure is compared with: one 1320 x 820 window whose paint is a single
// FillRect of the client area, with the program's 120 ms timer repainting all of it.
#pragma once
#include <windows.h>

namespace bench {

constexpr const wchar_t* kBareWindowClass = L"BareBenchWindow";
// The login screen's backdrop, so a screen reader of pixels sees the same colour in both.
constexpr COLORREF kBareFill = RGB(0x04, 0x09, 0x14);
constexpr UINT_PTR kBareTimer = 1;

inline LRESULT CALLBACK bareWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client{};
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(kBareFill);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_TIMER:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// On the command line: the window without its timer, the floor of the wakeup measurements.
constexpr const wchar_t* kNoTimer = L"--no-timer";

// withTimer: the 120 ms full repaint of the idle measurement.
inline HWND createBareWindow(HINSTANCE instance, bool withTimer) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = bareWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kBareWindowClass;
    RegisterClassW(&wc);
    HWND hwnd =
        CreateWindowExW(0, kBareWindowClass, L"Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 1320, 820, nullptr, nullptr, instance, nullptr);
    if (hwnd != nullptr && withTimer) {
        SetTimer(hwnd, kBareTimer, 120, nullptr);
    }
    return hwnd;
}

} // namespace bench
