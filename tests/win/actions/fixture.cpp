#include "fixture.h"

#include "actions/session_writer.h"
#include "backend/contract.h"
#include "session/session.h"

#include <system_error>

namespace cvtest {

void failingStarter(std::function<void()>) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

void oddlyFailingStarter(std::function<void()>) {
    throw 42;
}

void ActionsTest::SetUp() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    appData = std::wstring(temp) + L"cv-actions-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount());
    CreateDirectoryW(appData.c_str(), nullptr);
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    corvanta::setBackendOrigin(server.origin());
    window = std::make_unique<MainWindow>();
}

void ActionsTest::TearDown() {
    window.reset();
    corvanta::setWorkerStarterForTests(nullptr);
    corvanta::setBackendOrigin(corvanta::contract::kOrigin);
    DeleteFileW(sessionFile().c_str());
    RemoveDirectoryW((appData + L"\\CorvantaNativeWin").c_str());
    RemoveDirectoryW(appData.c_str());
    SetEnvironmentVariableW(L"APPDATA", nullptr);
}

bool ActionsTest::waitForOutput(const std::wstring& needle, int timeoutMs) {
    return window->pumpUntil([&] { return window->output().find(needle) != std::wstring::npos; },
                             timeoutMs);
}

bool ActionsTest::waitForRequests(std::size_t n, int timeoutMs) {
    return window->pumpUntil([&] { return server.requestCount() >= n; }, timeoutMs);
}

void ActionsTest::settleSessionWrites() {
    EXPECT_TRUE(corvanta::waitForSessionWrites(10000));
    window->pump();
}

std::wstring ActionsTest::sessionFile() const {
    return corvanta::secure_session::sessionPath();
}

bool ActionsTest::sessionFileExists() const {
    return GetFileAttributesW(sessionFile().c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ActionsTest::signIn(const std::string& token) {
    window->signInForTest(token.c_str());
}

} // namespace cvtest
