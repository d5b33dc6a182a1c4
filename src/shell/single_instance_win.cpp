#include "shell/single_instance.h"

#include "shell/window.h"

namespace corvanta {
namespace {

// The session's own namespace: another user's program on the same machine is another program.
constexpr const wchar_t* kStartMutex = L"Local\\CorvantaNativeWin.Start";
// A start that stopped half-way must not keep every later one out.
constexpr DWORD kStartLockWaitMs = 10000;

} // namespace

StartLock::StartLock() : mutex_(CreateMutexW(nullptr, FALSE, kStartMutex)) {
    if (mutex_ != nullptr) {
        const DWORD waited = WaitForSingleObject(mutex_, kStartLockWaitMs);
        // Abandoned: the start before ended without letting go; the lock is ours all the same.
        owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
}

void StartLock::release() {
    if (owned_) {
        ReleaseMutex(mutex_);
        owned_ = false;
    }
    if (mutex_ != nullptr) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
}

HWND findRunningMainWindow() {
    return FindWindowW(kMainWindowClass, nullptr);
}

void bringForward(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    // Asynchronous: a window that does not answer must not hang this start.
    if (IsIconic(window)) {
        ShowWindowAsync(window, SW_RESTORE);
    }
    AllowSetForegroundWindow(process);
    SetForegroundWindow(window);
}

} // namespace corvanta
