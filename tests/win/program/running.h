// The shipped exe started as users start it, against a loopback backend, and worked from this
// process as another program (or a user) would.
#pragma once
#include "shell/ids.h"
#include "shell/window.h"
#include "support/loopback_server.h"
#include "support/program.h"
#include "tour/driver.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace cvtest {

using namespace corvanta; // the program's control ids and class names

constexpr int kStartMs = 40000;
constexpr int kAnswerMs = 20000;

inline std::vector<int> controlIds() {
    std::vector<int> ids;
    for (int id = ID_NAV_ORBITAL; id <= ID_NAV_TREVACAST; ++id) {
        ids.push_back(id);
    }
    for (int id = ID_EDIT_USER; id <= ID_BTN_START_TREVACAST; ++id) {
        ids.push_back(id);
    }
    ids.push_back(ID_OUTPUT);
    return ids;
}

struct Running {
    LoopbackServer server;
    AppDataFolder appData{L"cv-running-"};
    std::unique_ptr<Program> program;
    std::unique_ptr<tour::Driver> driver;

    explicit Running(const std::wstring& exe = besideThisTest(L"CorvantaNativeWin.exe")) {
        SetEnvironmentVariableW(L"CORVANTA_ORIGIN", server.origin().c_str());
        SetEnvironmentVariableW(L"APPDATA", appData.path().c_str());
        program = std::make_unique<Program>(false, exe);
        driver = std::make_unique<tour::Driver>(
            tour::Driver::attach(kMainWindowClass, kStartMs, program->id()));
    }
    ~Running() {
        if (driver != nullptr) {
            driver->close(15000);
        }
    }
    const tour::Driver& d() const { return *driver; }

    // Signs in (once) and refreshes the wallet: the program still does its work.
    void refreshWallet(const std::string& balance) {
        if (!d().shown(ID_NAV_WALLET)) {
            server.respond(Response(200, R"({"token":"neighbour-token"})"));
            d().setText(ID_EDIT_USER, L"lena");
            d().setText(ID_EDIT_PASS, L"geheim-123");
            d().click(ID_BTN_LOGIN);
            d().waitUntil("the workspace", kAnswerMs, [&] { return d().shown(ID_NAV_WALLET); });
        }
        d().click(ID_NAV_WALLET);
        server.respond(Response(200, R"({"balance":")" + balance + "\"}"));
        d().click(ID_BTN_REFRESH);
        const std::wstring wide(balance.begin(), balance.end());
        d().waitUntil("the refreshed wallet", kAnswerMs,
                      [&] { return tour::contains(d().text(ID_OUTPUT), wide); });
    }

    std::vector<std::wstring> texts() const {
        std::vector<std::wstring> all;
        for (int id : controlIds()) {
            all.push_back(d().text(id));
        }
        return all;
    }

    // Messages posted before this are handled by the time it returns: a character posted to
    // the room field is typed only after them.
    void fence() const {
        const std::wstring room = d().text(ID_EDIT_ROOM);
        PostMessageW(d().control(ID_EDIT_ROOM), WM_CHAR, L'~', 0);
        d().waitUntil("the posted messages", kAnswerMs,
                      [&] { return d().text(ID_EDIT_ROOM) != room; });
        d().setText(ID_EDIT_ROOM, room);
    }
};

} // namespace cvtest
