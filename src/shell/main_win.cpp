#include "backend/requests.h"
#include "shell/single_instance.h"
#include "shell/window.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    corvanta::StartLock startLock;
    if (HWND running = corvanta::findRunningMainWindow()) {
        corvanta::bringForward(running);
        return 0;
    }

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    corvanta::applyOriginFromEnvironment();
    corvanta::registerWindowClasses(instance);
    HWND window = corvanta::createMainWindow(instance);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    startLock.release();
    return corvanta::runMessageLoop();
}
