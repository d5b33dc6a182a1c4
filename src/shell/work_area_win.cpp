#include "shell/work_area.h"

#include "shell/geometry.h"
#include "shell/window_dpi.h"

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

void openInWorkArea(HWND window, int width, int height) {
    RECT area{}, outer{};
    if (!GetWindowRect(window, &outer)) {
        return;
    }
    const int dpi = windowDpi(window);
    Rect fitted{outer.left, outer.top, outer.left + toDevice(width, dpi),
                outer.top + toDevice(height, dpi)};
    if (workAreaOf(window, area)) {
        fitted = fittedWindowRect(fitted, {area.left, area.top, area.right, area.bottom});
    }
    if (fitted != Rect{outer.left, outer.top, outer.right, outer.bottom}) {
        SetWindowPos(window, nullptr, fitted.left, fitted.top, fitted.width(), fitted.height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void limitMinTrackSize(HWND window, MINMAXINFO* info, int width, int height) {
    if (info == nullptr) {
        return;
    }
    const int dpi = windowDpi(window);
    width = toDevice(width, dpi);
    height = toDevice(height, dpi);
    RECT area{};
    if (workAreaOf(window, area)) {
        width = std::min<int>(width, area.right - area.left);
        height = std::min<int>(height, area.bottom - area.top);
    }
    info->ptMinTrackSize.x = width;
    info->ptMinTrackSize.y = height;
}

void takeSuggestedRect(HWND window, const RECT* r) {
    if (r != nullptr) {
        SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

} // namespace corvanta
