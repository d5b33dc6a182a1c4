// CorvantaTour: drives the running Corvanta Native Win through its real window with ordinary
// window messages, for the screenshot tour of scripts/run and for the end-to-end test.
//
//   CorvantaTour.exe tour DIR [USER PASSWORD]   the whole tour, one DIR\NN-step.bmp per step
//   CorvantaTour.exe check-login USER PASSWORD [--expect-rejected | --expect-unreachable]
//                                              refused with a 4xx answer, or with no answer
//   CorvantaTour.exe check-wallet [ORIGIN]     Wallet, Refresh, the wallet answer in the output box
//                                              (requested from ORIGIN, when given)
//   CorvantaTour.exe close                     closes the main window, waits for it to go
//
// Exit codes: 0 done; 1 a step or check failed; 2 the sign-in did not succeed (the tour stops
// there); 3 the program's window was not found; 64 wrong arguments.
#include "driver.h"
#include "screenshot.h"

#include "shell/ids.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tour {
namespace {

namespace ids = corvanta;

constexpr const wchar_t* kMainClass = L"CorvantaNativeWinWindow";
constexpr const wchar_t* kStudioClass = L"CorvantaTrevacastStudioWindow";
// A cold Wine start of the program takes a few seconds.
constexpr int kStartTimeoutMs = 40000;
constexpr int kScreenTimeoutMs = 5000;
// Well above an answer from loopback, well below the exchange's own time-outs added up.
constexpr int kRequestTimeoutMs = 40000;
constexpr int kWindowTimeoutMs = 10000;
constexpr int kCloseTimeoutMs = 15000;

enum Exit { kOk = 0, kFailed = 1, kNotSignedIn = 2, kNoWindow = 3, kUsage = 64 };

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void complain(const std::string& line) {
    std::fflush(stdout);
    std::fputs(("CorvantaTour: " + line + "\n").c_str(), stderr);
    std::fflush(stderr);
}

void complainText(const std::wstring& text, int lines) {
    std::fflush(stdout);
    std::fputs(excerpt(text, lines).c_str(), stderr);
    std::fflush(stderr);
}

struct Rail {
    int id;
    const char* step;
    const wchar_t* channel; // first line of the screen's intro report
};

// Top to bottom as the rail shows them.
const Rail kRail[] = {
    {ids::ID_NAV_ORBITAL, "orbit-feed", L"# orbit-feed"},
    {ids::ID_NAV_SPEECH, "community", L"# community-table"},
    {ids::ID_NAV_LIVE, "live", L"# live-now"},
    {ids::ID_NAV_TREVACAST, "trevacast", L"# trevacast-studio"},
    {ids::ID_NAV_DM, "dm", L"# direct-messages"},
    {ids::ID_NAV_STUDIO, "mixforge", L"# creator-studio"},
    {ids::ID_NAV_WALLET, "wallet", L"# wallet-balance"},
    {ids::ID_NAV_ASSETS, "gifts", L"# gifts-assets"},
    {ids::ID_NAV_PROFILE, "profil", L"# mein-universum"},
    {ids::ID_NAV_SETTINGS, "einstellungen", L"# settings-trust"},
};

const Rail& rail(int id) {
    for (const Rail& r : kRail) {
        if (r.id == id) {
            return r;
        }
    }
    throw DriveError("no rail button " + std::to_string(id));
}

std::wstring output(const Driver& d) { return d.text(ids::ID_OUTPUT); }

void openScreen(const Driver& d, int railId) {
    const Rail& r = rail(railId);
    d.click(railId);
    d.waitUntil("the intro report of " + utf8(r.channel), kScreenTimeoutMs,
                [&] { return firstLine(output(d)) == r.channel; });
}

// Starts a request with the button and waits until its answer replaced the running report.
std::wstring requestAndWait(const Driver& d, int buttonId, const std::string& what) {
    d.click(buttonId);
    std::wstring text;
    d.waitUntil("the answer to " + what, kRequestTimeoutMs, [&] {
        text = output(d);
        return !contains(text, L"Request laeuft: ");
    });
    return text;
}

struct SignInOutcome {
    bool signedIn = false;
    std::wstring output; // the report of a refused sign-in, the intro report after a good one
};

SignInOutcome signIn(const Driver& d, const std::wstring& user, const std::wstring& password) {
    if (!d.shown(ids::ID_EDIT_USER)) {
        throw DriveError("the login card is not shown (already signed in?)");
    }
    d.setText(ids::ID_EDIT_USER, user);
    d.setText(ids::ID_EDIT_PASS, password);
    d.click(ids::ID_BTN_LOGIN);
    // While the request runs the Login button is disabled and the hidden output box announces
    // it; the answer either leaves the login card or puts its report there and enables Login.
    SignInOutcome outcome;
    d.waitUntil("the answer to the sign-in", kRequestTimeoutMs, [&] {
        if (!d.shown(ids::ID_EDIT_USER)) {
            outcome.signedIn = true;
            return true;
        }
        if (!d.enabled(ids::ID_BTN_LOGIN) || contains(output(d), L"Request laeuft: Login")) {
            return false;
        }
        // The answer can arrive between these reads; once it is applied the card tells.
        outcome.signedIn = !d.shown(ids::ID_EDIT_USER);
        return true;
    });
    outcome.output = output(d);
    return outcome;
}

std::wstring argument(int argc, wchar_t** argv, int index, const wchar_t* fallback) {
    return index < argc ? std::wstring(argv[index]) : std::wstring(fallback);
}

class Tour {
public:
    Tour(const Driver& driver, std::wstring dir) : d_(driver), dir_(std::move(dir)) {}

    int failures() const { return failures_; }

    // Runs one step and writes its screenshot (also after a failure: it shows what went wrong).
    void step(const std::string& name, const std::function<void()>& body,
              const std::function<HWND()>& window = nullptr) {
        const std::string id = numbered(name);
        try {
            body();
            say("step " + id + ": ok");
        } catch (const DriveError& e) {
            ++failures_;
            complain("step " + id + " failed: " + e.what());
        }
        shoot(id, window ? window() : d_.main());
    }

    void shot(const std::string& name) { shoot(numbered(name), d_.main()); }

private:
    std::string numbered(const std::string& name) {
        ++count_;
        return (count_ < 10 ? "0" : "") + std::to_string(count_) + "-" + name;
    }

    void shoot(const std::string& id, HWND window) {
        if (!d_.alive()) {
            throw DriveError("the program ended during step " + id);
        }
        try {
            d_.settle();
            if (window != d_.main() && window != nullptr) {
                InvalidateRect(window, nullptr, TRUE);
                Sleep(300);
            }
            const std::wstring path = dir_ + L"\\" + std::wstring(id.begin(), id.end()) + L".bmp";
            captureWindow(window != nullptr ? window : d_.main(), path);
            say("  screenshot " + id);
        } catch (const DriveError& e) {
            ++failures_;
            complain("screenshot " + id + " failed: " + e.what());
        }
    }

    const Driver& d_;
    std::wstring dir_;
    int count_ = 0;
    int failures_ = 0;
};

int runTour(const std::wstring& dir, const std::wstring& user, const std::wstring& password) {
    CreateDirectoryW(dir.c_str(), nullptr);
    const Driver d = Driver::attach(kMainClass, kStartTimeoutMs);
    say("found the main window of process " + std::to_string(d.processId()));
    Tour tour(d, dir);
    tour.shot("login");

    SignInOutcome outcome;
    try {
        outcome = signIn(d, user, password);
    } catch (const DriveError& e) {
        complain(std::string("sign-in: ") + e.what());
    }
    if (!outcome.signedIn) {
        complain("sign-in as " + utf8(user) +
                 " did not succeed; the login card is still shown. The program's report:");
        complainText(outcome.output, 8);
        tour.shot("login-failed");
        if (!d.close(kCloseTimeoutMs)) {
            complain("the program did not close within " +
                     std::to_string(kCloseTimeoutMs / 1000) + " s");
        }
        return kNotSignedIn;
    }
    say("signed in as " + utf8(user) + "; start screen " + utf8(firstLine(outcome.output)));
    tour.shot("signed-in");

    for (const Rail& r : kRail) {
        tour.step(r.step, [&] {
            openScreen(d, r.id);
            const std::wstring report = requestAndWait(d, ids::ID_BTN_REFRESH, "Refresh");
            std::fputs(excerpt(report, 5).c_str(), stdout);
        });
    }

    tour.step("community-title", [&] {
        openScreen(d, ids::ID_NAV_SPEECH);
        d.setText(ids::ID_EDIT_COMMUNITY_ID, L"6");
        d.setText(ids::ID_EDIT_TITLE, L"Held");
        const std::wstring report =
            requestAndWait(d, ids::ID_BTN_COMMUNITY_TITLE, "\"Titel setzen\"");
        std::fputs(excerpt(report, 6).c_str(), stdout);
    });

    tour.step("studio-probe", [&] {
        openScreen(d, ids::ID_NAV_TREVACAST);
        d.setText(ids::ID_EDIT_ROOM, L"tour-studio");
        d.click(ids::ID_BTN_LIVEKIT);
        std::wstring report;
        d.waitUntil("the media probe's report", kRequestTimeoutMs, [&] {
            report = output(d);
            return firstLine(report) == L"Corvanta Native LiveKit Probe";
        });
        std::fputs(excerpt(report, 17).c_str(), stdout);
    });

    HWND studio = nullptr;
    tour.step(
        "extra-fenster",
        [&] {
            d.click(ids::ID_BTN_TREVACAST);
            d.waitUntil("the studio window", kWindowTimeoutMs, [&] {
                studio = findShownWindow(kStudioClass, d.processId());
                return studio != nullptr;
            });
        },
        [&] { return studio; });

    if (!d.close(kCloseTimeoutMs)) {
        complain("the program did not close within " + std::to_string(kCloseTimeoutMs / 1000) +
                 " s");
        return kFailed;
    }
    say("closed the program");
    if (tour.failures() > 0) {
        complain(std::to_string(tour.failures()) + " step(s) of the tour failed");
        return kFailed;
    }
    return kOk;
}

enum class Expect { SignedIn, Rejected, Unreachable };

int checkLogin(const std::wstring& user, const std::wstring& password, Expect expect) {
    const Driver d = Driver::attach(kMainClass, kStartTimeoutMs);
    const SignInOutcome outcome = signIn(d, user, password);
    if (expect != Expect::SignedIn) {
        if (outcome.signedIn) {
            complain("the sign-in was accepted, expected it to be refused");
            return kFailed;
        }
        std::fputs(excerpt(outcome.output, 6).c_str(), stdout);
        if (expect == Expect::Rejected && !contains(outcome.output, L"Status: 4")) {
            complain("the report of the refused sign-in shows no 4xx answer from the backend");
            return kFailed;
        }
        if (expect == Expect::Unreachable &&
            !contains(outcome.output, L"Status: 0\r\nFehler: HTTP Request fehlgeschlagen.")) {
            complain("the report of the refused sign-in shows no failed request (Status: 0)");
            return kFailed;
        }
        if (!d.shown(ids::ID_EDIT_PASS) || !d.shown(ids::ID_BTN_LOGIN) ||
            d.shown(ids::ID_NAV_WALLET)) {
            complain("after the refused sign-in the login card is not what is shown");
            return kFailed;
        }
        say("refused sign-in: the login card is still shown");
        return kOk;
    }
    if (!outcome.signedIn) {
        complain("the sign-in did not succeed; the program's report:");
        complainText(outcome.output, 8);
        return kFailed;
    }
    if (!d.shown(ids::ID_NAV_WALLET) || !d.shown(ids::ID_BTN_LOGOUT)) {
        complain("signed in, but the workspace controls are not shown");
        return kFailed;
    }
    say("signed in; start screen " + utf8(firstLine(outcome.output)));
    return kOk;
}

int checkWallet(const std::wstring& origin) {
    const Driver d = Driver::attach(kMainClass, kStartTimeoutMs);
    if (d.shown(ids::ID_EDIT_USER)) {
        complain("not signed in: the login card is shown");
        return kFailed;
    }
    openScreen(d, ids::ID_NAV_WALLET);
    const std::wstring report = requestAndWait(d, ids::ID_BTN_REFRESH, "Refresh");
    std::fputs(excerpt(report, 12).c_str(), stdout);
    const std::wstring requestLine =
        origin.empty() ? L"/api/me/wallet" : L"GET " + origin + L"/api/me/wallet\r\n";
    const std::wstring expected[] = {requestLine, L"Status: 200", L"\"balance\""};
    for (const std::wstring& part : expected) {
        if (!contains(report, part)) {
            complain("the wallet answer is not in the output box: no \"" + utf8(part) + "\"");
            return kFailed;
        }
    }
    say("wallet answer found in the output box");
    return kOk;
}

int closeProgram() {
    HWND main = findShownWindow(kMainClass);
    if (main == nullptr) {
        say("no program window to close");
        return kOk;
    }
    const Driver d = Driver::attach(kMainClass, kWindowTimeoutMs);
    if (!d.close(kCloseTimeoutMs)) {
        complain("the program did not close within " + std::to_string(kCloseTimeoutMs / 1000) +
                 " s");
        return kFailed;
    }
    say("closed the program");
    return kOk;
}

int usage() {
    complain("usage: CorvantaTour.exe tour DIR [USER PASSWORD] | check-login USER PASSWORD "
             "[--expect-rejected | --expect-unreachable] | check-wallet [ORIGIN] | close");
    return kUsage;
}

int run(int argc, wchar_t** argv) {
    const std::wstring command = argument(argc, argv, 1, L"");
    try {
        if (command == L"tour" && (argc == 3 || argc == 5)) {
            return runTour(argv[2], argument(argc, argv, 3, L"demo"),
                           argument(argc, argv, 4, L"corvanta-demo"));
        }
        if (command == L"check-login" && (argc == 4 || argc == 5)) {
            const std::wstring flag = argument(argc, argv, 4, L"");
            if (flag.empty()) {
                return checkLogin(argv[2], argv[3], Expect::SignedIn);
            }
            if (flag == L"--expect-rejected") {
                return checkLogin(argv[2], argv[3], Expect::Rejected);
            }
            if (flag == L"--expect-unreachable") {
                return checkLogin(argv[2], argv[3], Expect::Unreachable);
            }
            return usage();
        }
        if (command == L"check-wallet" && (argc == 2 || argc == 3)) {
            return checkWallet(argument(argc, argv, 2, L""));
        }
        if (command == L"close" && argc == 2) {
            return closeProgram();
        }
        return usage();
    } catch (const DriveError& e) {
        complain(e.what());
        return findShownWindow(kMainClass) == nullptr ? kNoWindow : kFailed;
    }
}

} // namespace
} // namespace tour

int wmain(int argc, wchar_t** argv) {
    try {
        return tour::run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "CorvantaTour: %s\n", e.what());
        return 1;
    }
}
