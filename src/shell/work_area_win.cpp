#include "shell/work_area.h"

#include "shell/geometry.h"

#include <algorithm>

namespace corvanta {
namespace {

// False when the window has no monitor: nothing to fit then.
bool workAreaOf(HWND window, RECT& area) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) {
        return false;
    }
    area = info.rcWork;
    return true;
}

} // namespace

void fitIntoWorkArea(HWND window) {
    RECT area{}, outer{};
    if (!workAreaOf(window, area) || !GetWindowRect(window, &outer)) {
        return;
    }
    const Rect fitted = fittedWindowRect({outer.left, outer.top, outer.right, outer.bottom},
                                         {area.left, area.top, area.right, area.bottom});
    if (fitted != Rect{outer.left, outer.top, outer.right, outer.bottom}) {
        SetWindowPos(window, nullptr, fitted.left, fitted.top, fitted.width(), fitted.height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void limitMinTrackSize(HWND window, MINMAXINFO* info, int width, int height) {
    RECT area{};
    if (workAreaOf(window, area)) {
        width = std::min<int>(width, area.right - area.left);
        height = std::min<int>(height, area.bottom - area.top);
    }
    info->ptMinTrackSize.x = width;
    info->ptMinTrackSize.y = height;
}

} // namespace corvanta
