#include "support/program.h"

#include "shell/window.h"

namespace cvtest {

std::wstring besideThisTest(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

Program::Program(bool suspended, std::wstring path) {
    std::wstring command = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup, &info_)) {
        info_ = {};
    }
}

Program::~Program() {
    if (info_.hProcess != nullptr) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

long Program::endsWithin(DWORD timeoutMs) const {
    DWORD code = 0;
    if (info_.hProcess == nullptr ||
        WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info_.hProcess, &code)) {
        return -1;
    }
    return static_cast<long>(code);
}

std::vector<HWND> mainWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND hwnd, LPARAM list) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(hwnd, name, 64);
            if (lstrcmpW(name, corvanta::kMainWindowClass) == 0) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

AppDataFolder::AppDataFolder(const wchar_t* prefix) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + prefix + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
}

AppDataFolder::~AppDataFolder() {
    DeleteFileW((path_ + L"\\CorvantaNativeWin\\session.dpapi").c_str());
    RemoveDirectoryW((path_ + L"\\CorvantaNativeWin").c_str());
    RemoveDirectoryW(path_.c_str());
}

} // namespace cvtest
