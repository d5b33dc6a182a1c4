// Top-level windows on screens smaller than they are: every part of them stays reachable.
#pragma once
#include <windows.h>

namespace corvanta {

// Gives a new window its first outer size (96-DPI units, scaled to the window's DPI), shrunk and
// moved into the work area of its monitor where it does not fit there.
void openInWorkArea(HWND window, int width, int height);
// WM_GETMINMAXINFO: the minimum tracking size (96-DPI units, scaled to the window's DPI), but
// never more than the work area of the window's monitor: a larger one would keep the bottom or
// right edge out of reach. Null: nothing to set.
void limitMinTrackSize(HWND window, MINMAXINFO* info, int width, int height);
// WM_DPICHANGED: the rectangle Windows suggests for the new DPI; null keeps the window as it is.
void takeSuggestedRect(HWND window, const RECT* suggested);

} // namespace corvanta
