// The real main window talking to a loopback server, with APPDATA in a temporary folder.
#pragma once
#include "backend/contract.h"
#include "backend/requests.h"
#include "shell/app_state.h"
#include "support/loopback_server.h"
#include "support/main_window.h"

#include <gtest/gtest.h>

#include <string>

namespace cvtest {

class ActionsTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Pumps until the output box contains the text.
    bool waitForOutput(const std::wstring& needle, int timeoutMs = 10000);
    // Pumps until the server has received n requests.
    bool waitForRequests(std::size_t n, int timeoutMs = 10000);
    // Waits for the session file's writer to finish and applies what it reports.
    void settleSessionWrites();
    std::wstring sessionFile() const;
    bool sessionFileExists() const;
    void setText(HWND edit, const wchar_t* text) { SetWindowTextW(edit, text); }
    void signIn(const std::string& token = "tok-123");

    LoopbackServer server;
    std::unique_ptr<MainWindow> window;
    std::wstring appData;
};

// A starter that cannot start threads.
void failingStarter(std::function<void()>);
// A starter that fails with something other than a thread error, as any failure on the way to
// the worker would.
void oddlyFailingStarter(std::function<void()>);

} // namespace cvtest
