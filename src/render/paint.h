// Painting of the main window and of the signed-out login screen.
#pragma once
#include <windows.h>

namespace corvanta {

// WM_PAINT of the main window: BeginPaint, the login screen or the workspace, EndPaint.
void paint(HWND hwnd);
// Draws the whole main window picture for the given client rectangle onto a DC.
void paintClient(HDC dc, const RECT& client);
void paintLoginScreen(HDC dc, const RECT& client);

} // namespace corvanta
