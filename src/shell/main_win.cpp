#include "backend/requests.h"
#include "shell/single_instance.h"
#include "shell/window.h"

#include <commctrl.h>
#include <windows.h>

namespace {

// Every DLL loaded from now on comes from System32: the exe may sit in a Downloads folder, where
// a browser drops files of any name unasked. Looked up: Windows 7 without KB2533623 lacks it, and
// then at least the current folder is taken out.
void loadDllsOnlyFromSystem32() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto restrict = kernel != nullptr
                              ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                    GetProcAddress(kernel, "SetDefaultDllDirectories")))
                              : nullptr;
    if (restrict == nullptr || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryW(L"");
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before anything that loads a DLL on first use (comctl32 below, WinHTTP at the sign-in).
    loadDllsOnlyFromSystem32();
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
