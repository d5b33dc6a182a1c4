// The shipped exe's pulsing logo: nothing wakes the program while nobody can see the logo, and it
// stands still while the user has turned animations off. Wakeups are the context switches of the
// program's threads, read from outside through Linux' /proc (Wine maps it to Z:).
#include "running.h"
#include "shell/geometry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

using namespace corvanta;
using cvtest::Running;

namespace {

// The Linux process whose command line names the exe (the one this test started).
std::wstring unixProcessOf(const std::wstring& exeName) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    std::wstring match;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && match.empty();
         more = FindNextFileW(search, &found)) {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
        const std::wstring path = L"Z:\\proc\\" + std::wstring(found.cFileName) + L"\\cmdline";
        std::ifstream in(path.c_str(), std::ios::binary);
        const std::string line((std::istreambuf_iterator<char>(in)), {});
        if (line.find(std::string(exeName.begin(), exeName.end())) != std::string::npos &&
            line.find("win_program") == std::string::npos) {
            match = found.cFileName;
        }
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return match;
}

// Context switches of all the process's threads so far.
long long wakeups(const std::wstring& pid) {
    long long total = 0;
    WIN32_FIND_DATAW task{};
    const std::wstring tasks = L"Z:\\proc\\" + pid + L"\\task\\";
    HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &task);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &task)) {
        const std::wstring path = tasks + task.cFileName + L"\\status";
        std::ifstream status(path.c_str());
        for (std::string line; std::getline(status, line);) {
            if (line.find("ctxt_switches:") != std::string::npos) {
                total += std::stoll(line.substr(line.find(':') + 1));
            }
        }
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return total;
}

// The logo's square as the screen shows it.
std::vector<COLORREF> logoPicture(HWND main) {
    RECT client{};
    GetClientRect(main, &client);
    const Rect logo = logoBounds(loginCardRect(client.right, client.bottom));
    POINT origin{logo.left, logo.top};
    ClientToScreen(main, &origin);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < logo.height(); y += 2) {
        for (int x = 0; x < logo.width(); x += 2) {
            pixels.push_back(GetPixel(screen, origin.x + x, origin.y + y));
        }
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool pulses(HWND main, int withinMs) {
    const std::vector<COLORREF> first = logoPicture(main);
    for (int waited = 0; waited < withinMs; waited += 50) {
        Sleep(50);
        if (logoPicture(main) != first) return true;
    }
    return false;
}

// Stored for the user, as the Settings app does; a program started afterwards reads it. (Under Wine
// a program already running keeps the value it read: the change while it runs is judged in the
// window's own tests.)
void setAnimations(bool on) {
    SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(on ? 1 : 0),
                          SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

// The prefix keeps the setting: every test after this one finds animations on.
struct AnimationsOnAfterwards {
    ~AnimationsOnAfterwards() { setAnimations(true); }
};

// Over five seconds on the login card, Wine and the blinking caret of the focused field wake the
// program about 120 times with the logo still; the logo's timer adds as many again and more.
constexpr long long kLoginCardFloor = 200;
// Signed in, nothing should run at all.
constexpr long long kSignedInFloor = 25;

// Wakeups over five seconds, from outside.
long long wakeupsOverFiveSeconds(const Running& p, const std::wstring& pid) {
    p.d().settle();
    const long long before = wakeups(pid);
    Sleep(5000);
    return wakeups(pid) - before;
}

} // namespace

TEST(QuietAndStill, NothingWakesTheProgramUnlessTheLogoPulsesInSight) {
    const AnimationsOnAfterwards restore;
    setAnimations(true);
    Running p;
    const HWND main = p.d().main();
    const std::wstring pid = unixProcessOf(L"CorvantaNativeWin.exe");
    ASSERT_FALSE(pid.empty()) << "the program's process is not in /proc";
    ASSERT_TRUE(pulses(main, 1000)) << "the logo does not pulse on the login card";

    ShowWindow(main, SW_MINIMIZE);
    EXPECT_LT(wakeupsOverFiveSeconds(p, pid), kLoginCardFloor) << "minimised";
    ShowWindow(main, SW_RESTORE);
    EXPECT_TRUE(pulses(main, 1000)) << "restored on the login card";
    p.refreshWallet("4711");
    EXPECT_LT(wakeupsOverFiveSeconds(p, pid), kSignedInFloor) << "signed in";
}

TEST(QuietAndStill, WithAnimationsOffTheLogoStandsStillAndNothingWakesTheProgram) {
    const AnimationsOnAfterwards restore;
    setAnimations(false);
    Running p;
    const HWND main = p.d().main();
    const std::wstring pid = unixProcessOf(L"CorvantaNativeWin.exe");
    ASSERT_FALSE(pid.empty()) << "the program's process is not in /proc";
    p.d().settle();
    const std::vector<COLORREF> still = logoPicture(main);
    Sleep(600);
    EXPECT_EQ(logoPicture(main), still);
    // Drawn, not left out: more than the card's colour in the logo's square.
    EXPECT_NE(std::count(still.begin(), still.end(), still.front()),
              static_cast<std::ptrdiff_t>(still.size()));
    EXPECT_LT(wakeupsOverFiveSeconds(p, pid), kLoginCardFloor);
}
