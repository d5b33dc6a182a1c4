// Starts the program and the bare window in turn, each start measured the same way:
//   - start to painted first screen: from CreateProcess until the screen shows the first picture
//     (the program: the login screen's top band and the filled Login button; the bare window: its
//     fill);
//   - resident and private (anonymous) memory 5 s after the start, from /proc of the Wine process;
//   - CPU while idle on that first screen, from the scheduler's per-thread run times.
// Runs under Wine: /proc is reached through drive Z:, and a started process is found there by a
// marker on its command line.
//
// usage: launch_bench PROGRAM.exe BARE.exe [pairs] [idle seconds]
#include "bare_window.h"
#include "render/button_style.h"
#include "report.h"
#include "shell/ids.h"
#include "shell/window.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kLoginBand = RGB(0x06, 0x14, 0x2C);
constexpr int kMemoryAfterMs = 5000;

std::string readFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        text.append(chunk, got);
    }
    CloseHandle(file);
    return text;
}

std::wstring procPath(const std::wstring& pid, const wchar_t* rest) {
    return L"Z:\\proc\\" + pid + rest;
}

// The Linux process whose command line holds the marker. (Wine writes the Windows command line
// into it; the environment, by contrast, is the launcher's own.)
std::wstring findUnixPid(const std::string& marker) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring found;
    do {
        const std::wstring name = entry.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) {
            continue;
        }
        if (readFile(procPath(name, L"\\cmdline")).find(marker + std::string(1, '\0')) !=
            std::string::npos) {
            found = name;
            break;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}

// A "Name:   1234 kB" line of /proc/PID/status, in MB (10^6 bytes).
double statusMb(const std::string& status, const char* field) {
    const auto at = status.find(field);
    return at == std::string::npos
               ? -1
               : std::atof(status.c_str() + at + std::strlen(field)) * 1.024 / 1000;
}

// A figure of every thread of the process, summed.
double overThreads(const std::wstring& pid, const wchar_t* file,
                   const std::function<double(const std::string&)>& figure) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(procPath(pid, L"\\task\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return -1;
    }
    double sum = 0;
    do {
        if (entry.cFileName[0] != L'.') {
            sum += figure(readFile(procPath(
                pid, (std::wstring(L"\\task\\") + entry.cFileName + L"\\" + file).c_str())));
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return sum;
}

// Nanoseconds on a CPU.
double cpuNs(const std::wstring& pid) {
    return overThreads(pid, L"schedstat", [](const std::string& s) { return std::atof(s.c_str()); });
}

// Wakeups: every time a thread was switched in, whether it gave up the CPU or lost it.
double wakeups(const std::wstring& pid) {
    return overThreads(pid, L"status", [](const std::string& s) {
        double n = 0;
        for (const char* field : {"voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:"}) {
            const auto at = s.find(field);
            n += at == std::string::npos ? 0 : std::atof(s.c_str() + at + std::strlen(field));
        }
        return n;
    });
}

// CPU (% of a core) and wakeups per second of the process over the next idleMs.
struct Idle {
    double cpuPercent = -1;
    double wakeupsPerS = -1;
};

Idle idleFor(const std::wstring& pid, int idleMs) {
    const double c0 = cpuNs(pid), n0 = wakeups(pid), w0 = bench::nowMs();
    Sleep(static_cast<DWORD>(idleMs));
    const double c1 = cpuNs(pid), n1 = wakeups(pid), w1 = bench::nowMs();
    return {(c1 - c0) / 1e6 / (w1 - w0) * 100, (n1 - n0) / (w1 - w0) * 1000};
}

COLORREF screenPixel(HWND window, int x, int y) {
    static HDC screen = GetDC(nullptr);
    POINT p{x, y};
    ClientToScreen(window, &p);
    return GetPixel(screen, p.x, p.y);
}

struct Target {
    const char* name;
    std::wstring exe;
    std::wstring arguments; // besides the marker
    const wchar_t* windowClass;
    std::function<bool(HWND)> painted;
};

struct WindowSearch {
    DWORD processId;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == search->processId && IsWindowVisible(hwnd) &&
        wcscmp(cls, search->windowClass) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND shownWindow(DWORD processId, const wchar_t* windowClass) {
    WindowSearch search{processId, windowClass, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Run {
    double startMs = -1;
    double residentMb = -1;
    double privateMb = -1;
    double cpuPercent = -1;
    double wakeupsPerS = -1;
    double minimisedCpuPercent = -1;
    double minimisedWakeupsPerS = -1;
};

Run measure(const Target& target, int idleMs, int serial) {
    Run run;
    // The program takes no arguments; this one only marks the process for /proc.
    const std::string marker =
        "--bench-run=" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial);
    std::wstring commandLine =
        L"\"" + target.exe + L"\" " + target.arguments + std::wstring(marker.begin(), marker.end());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const double t0 = bench::nowMs();
    if (!CreateProcessW(target.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", target.name, GetLastError());
        return run;
    }
    HWND window = nullptr;
    while (bench::nowMs() - t0 < 30000) {
        window = window != nullptr ? window : shownWindow(pi.dwProcessId, target.windowClass);
        if (window != nullptr && target.painted(window)) {
            run.startMs = bench::nowMs() - t0;
            break;
        }
        Sleep(1);
    }
    const std::wstring pid = findUnixPid(marker);
    if (run.startMs < 0 || pid.empty()) {
        std::fprintf(stderr, "%s: %s\n", target.name,
                     run.startMs < 0 ? "no painted window within 30 s"
                                     : "process not found in /proc");
    } else {
        const double wait = t0 + kMemoryAfterMs - bench::nowMs();
        Sleep(wait > 0 ? static_cast<DWORD>(wait) : 0);
        const std::string status = readFile(procPath(pid, L"\\status"));
        run.residentMb = statusMb(status, "VmRSS:");
        run.privateMb = statusMb(status, "RssAnon:");
        if (idleMs > 0) {
            const Idle shown = idleFor(pid, idleMs);
            run.cpuPercent = shown.cpuPercent;
            run.wakeupsPerS = shown.wakeupsPerS;
            ShowWindow(window, SW_MINIMIZE);
            Sleep(300);
            const Idle minimised = idleFor(pid, idleMs);
            run.minimisedCpuPercent = minimised.cpuPercent;
            run.minimisedWakeupsPerS = minimised.wakeupsPerS;
        }
    }
    if (window != nullptr) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: launch_bench PROGRAM.exe BARE.exe [pairs] [idle seconds]\n");
        return 2;
    }
    const int pairs = argc > 3 ? _wtoi(argv[3]) : 7;
    const int idleMs = (argc > 4 ? _wtoi(argv[4]) : 5) * 1000;

    const COLORREF loginFill =
        corvanta::buttonStyle(corvanta::ID_BTN_LOGIN, corvanta::Screen::Community,
                              corvanta::Screen::Community, false)
            .fill;
    const Target program{"program", argv[1], L"", corvanta::kMainWindowClass, [&](HWND w) {
                             HWND login = GetDlgItem(w, corvanta::ID_BTN_LOGIN);
                             RECT r{};
                             GetClientRect(login, &r);
                             return screenPixel(w, 4, 4) == kLoginBand &&
                                    screenPixel(login, 6, r.bottom / 2) == loginFill;
                         }};
    const Target bare{"bare window", argv[2], L"", bench::kBareWindowClass,
                      [](HWND w) { return screenPixel(w, 4, 4) == bench::kBareFill; }};
    // The floor: the same window without a timer.
    Target quiet = bare;
    quiet.name = "bare window without timer";
    quiet.arguments = std::wstring(bench::kNoTimer) + L" ";

    // One start of each first: page cache and Wine's own first-start work are not measured.
    measure(program, 0, 0);
    measure(bare, 0, 1);
    std::vector<Run> programRuns, bareRuns, quietRuns, stillRuns;
    for (int i = 0; i < pairs; ++i) {
        programRuns.push_back(measure(program, idleMs, 2 + 4 * i));
        bareRuns.push_back(measure(bare, idleMs, 3 + 4 * i));
        quietRuns.push_back(measure(quiet, idleMs, 4 + 4 * i));
        // "Show animations in Windows" off, as the user sets it; on again afterwards.
        SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, nullptr, SPIF_UPDATEINIFILE);
        stillRuns.push_back(measure(program, idleMs, 5 + 4 * i));
        SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(1),
                              SPIF_UPDATEINIFILE);
        const Run& p = programRuns.back();
        const Run& b = bareRuns.back();
        std::fprintf(stderr,
                     "pair %d (program / bare): start %.1f / %.1f ms, resident %.1f / %.1f MB, "
                     "private %.1f / %.1f MB, cpu %.2f / %.2f %%\n",
                     i + 1, p.startMs, b.startMs, p.residentMb, b.residentMb, p.privateMb,
                     b.privateMb, p.cpuPercent, b.cpuPercent);
    }
    auto column = [](const std::vector<Run>& runs, double Run::*field) {
        std::vector<double> v;
        for (const Run& r : runs) {
            if (r.*field >= 0) {
                v.push_back(r.*field);
            }
        }
        return v;
    };
    using bench::Goal;
    bench::printRow("start to painted first screen", column(programRuns, &Run::startMs),
                    column(bareRuns, &Run::startMs), "ms", 1, Goal{1.1, 0, "<= 1.1x"});
    bench::printRow("resident memory after 5 s", column(programRuns, &Run::residentMb),
                    column(bareRuns, &Run::residentMb), "MB", 1, Goal{1.25, 0, "<= 1.25x"});
    bench::printRow("private (anonymous) memory after 5 s", column(programRuns, &Run::privateMb),
                    column(bareRuns, &Run::privateMb), "MB", 1, Goal{1.5, 0, "<= 1.5x"});
    bench::printRow("CPU on the idle login card (% of a core)",
                    column(programRuns, &Run::cpuPercent), column(bareRuns, &Run::cpuPercent), "%",
                    2, Goal{0, 0.3, "<= 0.3 %"});
    bench::printRow("wakeups per s on the idle login card", column(programRuns, &Run::wakeupsPerS),
                    column(bareRuns, &Run::wakeupsPerS), "/s", 1,
                    Goal{1.0, 0, "<= bare window with the timer"});
    // Beside the floor: what Wine (and a blinking caret) adds without any timer.
    const Goal floor{0, 0, "no timer of its own (floor: bare window without timer)"};
    bench::printRow("wakeups per s, minimised", column(programRuns, &Run::minimisedWakeupsPerS),
                    column(quietRuns, &Run::minimisedWakeupsPerS), "/s", 1, floor);
    bench::printRow("CPU minimised (% of a core)", column(programRuns, &Run::minimisedCpuPercent),
                    column(quietRuns, &Run::minimisedCpuPercent), "%", 2, floor);
    bench::printRow("wakeups per s, login card, animations off", column(stillRuns, &Run::wakeupsPerS),
                    column(quietRuns, &Run::wakeupsPerS), "/s", 1, floor);
    bench::printRow("CPU, login card, animations off (% of a core)",
                    column(stillRuns, &Run::cpuPercent), column(quietRuns, &Run::cpuPercent), "%",
                    2, floor);
    return 0;
}
