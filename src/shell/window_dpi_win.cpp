#include "shell/window_dpi.h"

namespace corvanta {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// Looked up, not linked: Windows 10 1607 brought the first, 8.1 the second, and the program
// also starts on Windows 7.
template <typename Fn> Fn lookUp(const wchar_t* module, const char* name, bool load) {
    HMODULE handle = load ? LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
                          : GetModuleHandleW(module);
    return handle != nullptr
               ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(handle, name)))
               : nullptr;
}

int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

} // namespace

int windowDpi(HWND window) {
    static const auto forWindow =
        lookUp<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow", false);
    static const auto forMonitor =
        lookUp<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor", true);
    UINT dpi = 0;
    if (forWindow != nullptr && window != nullptr) {
        dpi = forWindow(window);
    } else if (forMonitor != nullptr && window != nullptr) {
        UINT y = 0;
        constexpr int kEffectiveDpi = 0;
        if (FAILED(forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi,
                              &dpi, &y))) {
            dpi = 0;
        }
    } else {
        dpi = static_cast<UINT>(systemDpi());
    }
    return dpi > 0 ? static_cast<int>(dpi) : kBaseDpi;
}

AreaScale clientScale(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return AreaScale(windowDpi(window), client.right - client.left, client.bottom - client.top);
}

} // namespace corvanta
