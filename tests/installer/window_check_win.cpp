// Waits for the program's main window, prints the path of the exe that owns it and closes it
// with WM_CLOSE, as a user closing the window would. For the setup's life-cycle test, which has
// to prove that the installed exe (not some other copy) starts and shows its window.
// CorvantaWindowCheck.exe [SECONDS]: waits SECONDS (30) for the window to appear.
// Exit codes: 0 closed, 2 no window within the time, 3 the window did not close, 4 usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr const wchar_t* kMainClass = L"CorvantaNativeWinWindow";
constexpr DWORD kCloseMs = 20000;

BOOL CALLBACK matchShown(HWND hwnd, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (lstrcmpW(name, kMainClass) == 0 && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND findShown() {
    HWND found = nullptr;
    EnumWindows(matchShown, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    DWORD appearMs = 30000;
    if (argc == 2) {
        wchar_t* end = nullptr;
        const unsigned long seconds = std::wcstoul(argv[1], &end, 10);
        if (*argv[1] == L'\0' || *end != L'\0' || seconds > 600) {
            argc = 0;
        }
        appearMs = static_cast<DWORD>(seconds * 1000);
    }
    if (argc > 2 || argc == 0) {
        std::fprintf(stderr, "usage: CorvantaWindowCheck.exe [SECONDS]\n");
        return 4;
    }
    HWND window = nullptr;
    for (const DWORD start = GetTickCount(); window == nullptr; Sleep(100)) {
        window = findShown();
        if (window == nullptr && GetTickCount() - start >= appearMs) {
            std::fprintf(stderr, "no visible %ls window within %lu s\n", kMainClass,
                         static_cast<unsigned long>(appearMs / 1000));
            return 2;
        }
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t image[MAX_PATH] = L"?";
    DWORD length = MAX_PATH;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
        if (!QueryFullProcessImageNameW(process, 0, image, &length)) {
            lstrcpyW(image, L"?");
        }
        CloseHandle(process);
    }
    std::printf("%ls\n", image);
    std::fflush(stdout);

    PostMessageW(window, WM_CLOSE, 0, 0);
    for (const DWORD start = GetTickCount(); IsWindow(window); Sleep(100)) {
        if (GetTickCount() - start >= kCloseMs) {
            std::fprintf(stderr, "the window did not close within %lu s\n",
                         static_cast<unsigned long>(kCloseMs / 1000));
            return 3;
        }
    }
    return 0;
}
