#include "actions/session_writer.h"

#include "backend/requests.h"
#include "backend/text_win.h"
#include "session/session.h"
#include "shell/app_state.h"
#include "shell/ids.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace corvanta {
namespace {

// A delete that meets a passing lock (a virus scanner, an indexer, a backup reading the file) or
// a share that drops for a moment is tried again; anything else would fail the same way again.
constexpr int kDeleteTries = 5;
constexpr DWORD kDeletePauseMs = 400;

bool worthRetrying(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BAD_NETPATH:
    case ERROR_NETWORK_BUSY:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NET_NAME:
    case ERROR_SEM_TIMEOUT:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_CONNECTION_ABORTED:
        return true;
    default:
        return false;
    }
}

std::atomic<DeleteTryHook> g_deleteTryHook{nullptr};
ShutdownBlockCalls g_blockCalls{ShutdownBlockReasonCreate, ShutdownBlockReasonDestroy};

struct Job {
    bool save = false;
    std::string token;
    std::uint64_t session = 0;
    std::wstring status; // the status line a failed save adds to
    HWND target = nullptr;
};

// A failed write, waiting for the window to show it.
struct Failure {
    bool save = false;
    std::uint64_t session = 0;
    std::wstring status;
    std::wstring message;
};

struct Writer {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Job> jobs;
    std::deque<Failure> failures;
    bool busy = false;
    bool running = false;
    int clearsPending = 0; // deletes asked for and not yet run
};

// Never destroyed: the worker may still run while static objects go at exit.
Writer& writer() {
    static Writer* const w = new Writer;
    return *w;
}

void wipe(std::string& secret) {
    if (!secret.empty()) {
        SecureZeroMemory(secret.data(), secret.size());
    }
    secret.clear();
}

// Counts a delete as done whichever way it ended, so closing never waits for one that threw.
struct ClearDone {
    bool clear;
    ~ClearDone() {
        if (clear) {
            Writer& w = writer();
            std::lock_guard<std::mutex> hold(w.lock);
            --w.clearsPending;
            w.changed.notify_all();
        }
    }
};

bool clearWithRetries(std::wstring& message) {
    for (int attempt = 1;; ++attempt) {
        if (const DeleteTryHook hook = g_deleteTryHook.load()) {
            hook(attempt);
        }
        if (secure_session::clearToken(&message)) {
            return true;
        }
        if (attempt == kDeleteTries || !worthRetrying(GetLastError())) {
            return false;
        }
        Sleep(kDeletePauseMs);
    }
}

// Runs one job and keeps its failure for the window; the window hears of it by a bare message,
// so nothing is lost or leaked when the window is gone by then.
void perform(Job& job) {
    const ClearDone done{!job.save};
    std::wstring message;
    const bool ok =
        job.save ? secure_session::saveToken(job.token, &message) : clearWithRetries(message);
    wipe(job.token);
    Writer& w = writer();
    if (!ok && !message.empty()) {
        std::lock_guard<std::mutex> hold(w.lock);
        w.failures.push_back({job.save, job.session, std::move(job.status), std::move(message)});
    }
    if (job.target != nullptr) {
        PostMessageW(job.target, WM_CV_SESSION_DONE, 0, 0);
    }
}

void work() noexcept {
    Writer& w = writer();
    std::unique_lock<std::mutex> hold(w.lock);
    for (;;) {
        w.changed.wait(hold, [&] { return !w.jobs.empty(); });
        Job job = std::move(w.jobs.front());
        w.jobs.pop_front();
        w.busy = true;
        hold.unlock();
        try {
            perform(job);
        } catch (...) {
            // Out of memory: the job is lost, the worker goes on.
        }
        wipe(job.token);
        hold.lock();
        w.busy = false;
        w.changed.notify_all();
    }
}

void enqueue(Job job) {
    Writer& w = writer();
    // Counted once queued (or about to run here), so a job that never got in is never waited for.
    const int clears = job.save ? 0 : 1;
    {
        std::lock_guard<std::mutex> hold(w.lock);
        if (!job.save) {
            for (auto it = w.jobs.begin(); it != w.jobs.end();) {
                if (it->save) {
                    wipe(it->token);
                    it = w.jobs.erase(it);
                } else {
                    ++it;
                }
            }
        }
        if (w.running) {
            w.jobs.push_back(std::move(job));
            w.clearsPending += clears;
            w.changed.notify_all();
            return;
        }
        try {
            std::thread(work).detach();
            w.running = true;
            w.jobs.push_back(std::move(job));
            w.clearsPending += clears;
            w.changed.notify_all();
            return;
        } catch (...) {
            // No thread: write on this thread rather than not at all.
        }
        w.clearsPending += clears;
    }
    perform(job);
}

} // namespace

void queueSessionSave(const std::string& token, std::uint64_t session, const std::wstring& status) {
    enqueue(Job{true, token, session, status, g_app.hwnd});
}

void queueSessionClear(std::uint64_t session) {
    enqueue(Job{false, {}, session, {}, g_app.hwnd});
}

void finishSessionWrites() {
    finishSessionWritesAtSessionEnd(nullptr);
}

void finishSessionWritesAtSessionEnd(HWND window) {
    Writer& w = writer();
    std::unique_lock<std::mutex> hold(w.lock);
    bool blocked = false;
    if (window != nullptr && w.clearsPending > 0) {
        hold.unlock();
        blocked = g_blockCalls.create(window, kEndSessionReason) != FALSE;
        hold.lock();
    }
    w.changed.wait_for(hold, std::chrono::milliseconds(kClearWaitMs),
                       [&] { return w.clearsPending == 0; });
    if (blocked) {
        hold.unlock();
        g_blockCalls.destroy(window);
        hold.lock();
    }
    w.changed.wait_for(hold, std::chrono::milliseconds(kSaveWaitMs),
                       [&] { return w.jobs.empty() && !w.busy; });
}

bool waitForSessionWrites(DWORD timeoutMs) {
    Writer& w = writer();
    std::unique_lock<std::mutex> hold(w.lock);
    return w.changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                              [&] { return w.jobs.empty() && !w.busy; });
}

void handleSessionDone() {
    std::deque<Failure> failures;
    {
        Writer& w = writer();
        std::lock_guard<std::mutex> hold(w.lock);
        failures.swap(w.failures);
    }
    for (const Failure& f : failures) {
        if (f.session != currentSession()) {
            continue; // a logout came since: nothing of that sign-in is on screen any more
        }
        if (f.save && !g_app.showLogin && g_app.statusText == f.status) {
            const bool introShown = getText(g_app.output) == introReport(g_app.screen, f.status);
            g_app.statusText = f.status + L" Hinweis: " + f.message;
            if (introShown) {
                refreshIntro();
            }
        } else if (!f.save && g_app.showLogin && g_app.loginMessage == kSignedOutMessage) {
            setLoginMessage(L"Du bist ausgeloggt. Hinweis: " + f.message);
        }
    }
    if (!failures.empty() && g_app.hwnd != nullptr) {
        InvalidateRect(g_app.hwnd, nullptr, TRUE);
    }
}

void setDeleteTryHookForTests(DeleteTryHook hook) {
    g_deleteTryHook = hook;
}

void setShutdownBlockCallsForTests(const ShutdownBlockCalls& calls) {
    g_blockCalls = calls.create != nullptr
                       ? calls
                       : ShutdownBlockCalls{ShutdownBlockReasonCreate, ShutdownBlockReasonDestroy};
}

} // namespace corvanta
