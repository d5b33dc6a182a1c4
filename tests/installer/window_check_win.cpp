// Waits for the program's main window, prints the path of the exe that owns it and closes it
// with WM_CLOSE, as a user closing the window would. For the setup's life-cycle test, which has
// to prove that the installed exe (not some other copy) starts and shows its window.
// CorvantaWindowCheck.exe [--keep] [SECONDS]: waits SECONDS (30) for the window to appear;
// --keep leaves it open (for a setup to close).
// Exit codes: 0 closed (or kept), 2 no window within the time, 3 the window did not close, 4 usage.
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
    bool keep = false;
    int arg = 1;
    if (arg < argc && lstrcmpW(argv[arg], L"--keep") == 0) {
        keep = true;
        ++arg;
    }
    bool usable = argc - arg <= 1;
    if (usable && arg < argc) {
        wchar_t* end = nullptr;
        const unsigned long seconds = std::wcstoul(argv[arg], &end, 10);
        usable = *argv[arg] != L'\0' && *end == L'\0' && seconds <= 600;
        appearMs = static_cast<DWORD>(seconds * 1000);
    }
    if (!usable) {
        std::fprintf(stderr, "usage: CorvantaWindowCheck.exe [--keep] [SECONDS]\n");
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
    if (keep) {
        return 0;
    }

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
