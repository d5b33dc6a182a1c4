// Screenshots of a window as it is on the screen, saved as 24-bit BMP files.
#pragma once
#include <windows.h>

#include <string>

namespace tour {

// Copies the window's client area from the screen (clipped to it) and writes it to path. Throws DriveError when nothing could be captured or written.
void captureWindow(HWND hwnd, const std::wstring& path);

} // namespace tour
