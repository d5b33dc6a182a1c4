// The setup's life-cycle test's helper inside Wine.
// CorvantaWindowCheck.exe [--keep] [SECONDS]: waits SECONDS (30) for the program's main window,
//   prints the path of the exe that owns it and closes it with WM_CLOSE, as a user closing the
//   window would: the test has to prove that the installed exe (not some other copy) starts and
//   shows its window. --keep leaves it open (for a setup to close).
//   Exit codes: 0 closed (or kept), 2 no window within the time, 3 the window did not close.
// CorvantaWindowCheck.exe --stand-in SECONDS: stands in for a program that, once its window is
//   closed, still needs SECONDS to end, as the program does while it finishes a logout's delete
//   on a slow share: shows a main window of the program's class, and after WM_CLOSE has
//   destroyed it, waits SECONDS before it ends with 0.
// CorvantaWindowCheck.exe --hold FILE: opens FILE as a virus scanner or a backup might, without
//   FILE_SHARE_DELETE, prints "held" and keeps it open until it is killed. Exit code 5: not opened.
// Exit code 4: usage.
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

LRESULT CALLBACK standInProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int standIn(DWORD lingerMs) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = standInProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kMainClass;
    if (RegisterClassW(&wc) == 0 ||
        CreateWindowExW(0, kMainClass, L"Corvanta Native Win", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                        0, 400, 300, nullptr, nullptr, wc.hInstance, nullptr) == nullptr) {
        return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    Sleep(lingerMs);
    return 0;
}

int hold(const wchar_t* path) {
    const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %ls (error %lu)\n", path, GetLastError());
        return 5;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

bool parseSeconds(const wchar_t* text, DWORD& ms) {
    wchar_t* end = nullptr;
    const unsigned long seconds = std::wcstoul(text, &end, 10);
    ms = static_cast<DWORD>(seconds * 1000);
    return *text != L'\0' && *end == L'\0' && seconds <= 600;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    DWORD ms = 0;
    if (argc == 3 && lstrcmpW(argv[1], L"--stand-in") == 0 && parseSeconds(argv[2], ms)) {
        return standIn(ms);
    }
    if (argc == 3 && lstrcmpW(argv[1], L"--hold") == 0) {
        return hold(argv[2]);
    }
    DWORD appearMs = 30000;
    bool keep = false;
    int arg = 1;
    if (arg < argc && lstrcmpW(argv[arg], L"--keep") == 0) {
        keep = true;
        ++arg;
    }
    bool usable = argc - arg <= 1;
    if (usable && arg < argc) {
        usable = parseSeconds(argv[arg], appearMs);
    }
    if (!usable) {
        std::fprintf(stderr, "usage: CorvantaWindowCheck.exe [--keep] [SECONDS] | --stand-in "
                             "SECONDS | --hold FILE\n");
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
