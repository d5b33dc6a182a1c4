// The DPI a window is shown at, and the scale of its client area.
#pragma once
#include "shell/dpi.h"

#include <windows.h>

// Sent to a per-monitor aware window moved to a monitor of another scale; older SDKs lack it.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace corvanta {

// Its monitor's DPI where the process is per-monitor aware (Windows 8.1 and later), the system's
// otherwise; 96 when nothing says.
int windowDpi(HWND window);
// The window's client area in 96-DPI units.
AreaScale clientScale(HWND window);

} // namespace corvanta
