// Top-level windows on screens smaller than they are: every part of them stays reachable.
#pragma once
#include <windows.h>

namespace corvanta {

// Shrinks and moves the window into the work area of its monitor where it does not fit there.
void fitIntoWorkArea(HWND window);
// WM_GETMINMAXINFO: the minimum tracking size, but never more than the work area of the window's
// monitor: a larger one would keep the bottom or right edge out of reach.
void limitMinTrackSize(HWND window, MINMAXINFO* info, int width, int height);

} // namespace corvanta
