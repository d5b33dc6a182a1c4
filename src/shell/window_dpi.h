// The DPI a window is shown at, and the scale of its client area.
#pragma once
#include "shell/dpi.h"

#include <windows.h>

namespace corvanta {

// Its monitor's DPI where the process is per-monitor aware (Windows 8.1 and later), the system's
// otherwise; 96 when nothing says.
int windowDpi(HWND window);
// The window's client area in 96-DPI units.
AreaScale clientScale(HWND window);

} // namespace corvanta
