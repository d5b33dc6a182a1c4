// The streaming studio: the tab inside the main window and the detached studio window.
#pragma once
#include <windows.h>

namespace corvanta {

extern HWND g_trevacastHwnd;

constexpr const wchar_t* kStudioWindowClass = L"CorvantaTrevacastStudioWindow";

// Paints the studio tab into [left, 0, right, bottom].
void drawTrevacastTab(HDC dc, int left, int right, int bottom);

// Registers the studio window class; 0 when registration fails.
ATOM registerStudioWindowClass(HINSTANCE instance);
// "Extra Fenster": creates the studio window, or shows and raises the existing one.
void openTrevacastStudioWindow();
LRESULT CALLBACK trevacastWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void paintTrevacastStudio(HWND hwnd);
// Draws the studio window picture for a client size onto a DC.
void paintTrevacastStudioClient(HDC dc, int width, int height);

} // namespace corvanta
