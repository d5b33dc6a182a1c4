// The bare Win32 program the shipped one is measured against (see bare_window.h).
#include "bare_window.h"

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    HWND window = bench::createBareWindow(instance, wcsstr(GetCommandLineW(), bench::kNoTimer) == nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
