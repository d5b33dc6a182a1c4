#include "backend/requests.h"

#include "backend/contract.h"
#include "backend/origin.h"
#include "backend/text.h"
#include "backend/text_win.h"
#include "shell/app_state.h"
#include "shell/ids.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

namespace corvanta {
namespace {

std::atomic<long> g_liveCompletions{0};
std::atomic<std::uint64_t> g_nextSequence{0};
std::uint64_t g_session = 0;
WorkerStarter g_starter = nullptr;
std::wstring g_origin = contract::kOrigin;

void startDetachedThread(std::function<void()> work) {
    std::thread(std::move(work)).detach();
}

// Only the GUI thread touches it.
Handover<HttpCompletion> g_issued;

// Hands a finished record to the main window. Not posted (the window is gone), it is freed with
// the last reference.
void post(HWND target, std::shared_ptr<HttpCompletion> record) {
    Handover<HttpCompletion>::finish(*record);
    postRecord(target, WM_CV_HTTP_DONE, record.get());
}

struct WorkerInput {
    HWND target = nullptr; // the main window, set once at its creation
    std::wstring url;
    std::wstring method;
    std::string body;
    std::string token;
    // Made before the thread starts, so the worker always has something to deliver.
    std::shared_ptr<HttpCompletion> record;
};

void runWorker(WorkerInput& input) noexcept {
    HttpResult& result = input.record->result;
    const bool isLogin = result.isLogin;
    try {
        result = requestWinHttp(input.method, input.url, input.body, input.token);
        result.isLogin = isLogin;
        if (isLogin && acceptsLoginToken(result.status)) {
            result.token = extractJsonString(result.body, loginTokenKeys());
            // Taken, it would sign in and then fail every request that sends it.
            if (!fitsInHeader(result.token)) {
                result.token.clear();
                result.tokenRefused = true;
            }
        }
    } catch (...) {
        // Out of memory: still deliver, as a failed exchange, so no sign-in stays pending.
        result.status = 0;
        result.token.clear();
        result.isLogin = isLogin;
        try {
            result.error = "HTTP Request fehlgeschlagen.";
        } catch (...) {
        }
    }
    post(input.target, std::move(input.record));
}

} // namespace

HttpCompletion::HttpCompletion() {
    ++g_liveCompletions;
}
HttpCompletion::~HttpCompletion() {
    --g_liveCompletions;
}
long liveHttpCompletions() {
    return g_liveCompletions.load();
}

bool postRecord(HWND target, unsigned message, const void* record) {
    // A null window would post to the calling thread's own queue, where nobody frees it.
    if (target == nullptr) {
        return false;
    }
    // Windows caps a thread's posted messages (10,000 by default). A full queue drains, and a
    // sign-in whose answer is lost would keep the Login button blocked; a destroyed window
    // never takes it, and the window's own thread would wait for itself.
    const bool ownThread = GetWindowThreadProcessId(target, nullptr) == GetCurrentThreadId();
    while (!PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(record))) {
        if (ownThread || GetLastError() != ERROR_NOT_ENOUGH_QUOTA || !IsWindow(target)) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

std::shared_ptr<HttpCompletion> claimHttpCompletion(LPARAM value) {
    return g_issued.claim(static_cast<std::uintptr_t>(value));
}

void dropIssuedHttpCompletions() {
    g_issued.clear();
}

void startWorker(std::function<void()> work) {
    (g_starter != nullptr ? g_starter : startDetachedThread)(std::move(work));
}

void setWorkerStarterForTests(WorkerStarter starter) {
    g_starter = starter;
}

const std::wstring& backendOrigin() {
    return g_origin;
}
void setBackendOrigin(const std::wstring& origin) {
    g_origin = origin;
}

void applyOriginFromEnvironment() {
    wchar_t buffer[512] = {};
    const DWORD n = GetEnvironmentVariableW(L"CORVANTA_ORIGIN", buffer, 512);
    // Longer than the buffer: certainly not an origin; pass something that is refused.
    const std::wstring value = n < 512 ? std::wstring(buffer, n) : std::wstring(L"-");
    const OriginChoice choice = chooseOrigin(value);
    g_origin = choice.origin;
    if (choice.rejected) {
        setLoginMessage(L"CORVANTA_ORIGIN ist ungueltig und wird ignoriert.");
    }
}

std::uint64_t currentSession() {
    return g_session;
}
void beginNewSession() {
    ++g_session;
}

bool acceptsLoginToken(std::uint32_t status) {
    return status >= 200 && status <= 299;
}

bool isLoginRequest(const std::wstring& method, const std::wstring& path) {
    return method == L"POST" && path == contract::api::kAuthLogin;
}

const std::vector<std::string>& loginTokenKeys() {
    // Never destroyed: detached workers may still read it while static objects go at exit.
    static const auto* keys =
        new std::vector<std::string>{"accessToken", "access_token", "token", "streamJwt", "jwt"};
    return *keys;
}

std::uint64_t runHttpAsync(const std::wstring& label, const std::wstring& method,
                           const std::wstring& path, const std::string& body, bool withAuth) {
    g_app.statusText = L"Request laeuft: " + label;
    refreshIntro();

    auto input = std::make_shared<WorkerInput>();
    input->target = g_app.hwnd;
    input->url = g_origin + path;
    input->method = method;
    input->body = body;
    input->token = withAuth ? g_app.token : std::string();
    input->record = std::make_shared<HttpCompletion>();
    const std::shared_ptr<HttpCompletion> record = input->record;
    record->sequence = ++g_nextSequence;
    record->session = g_session;
    record->result.isLogin = isLoginRequest(method, path);
    record->result.request = method + L" " + input->url;
    const std::uint64_t sequence = record->sequence;
    try {
        startWorker([input] { runWorker(*input); });
    } catch (...) {
        // No thread: report it as an ordinary failed exchange through the normal completion.
        record->result.error = "Request konnte nicht gestartet werden.";
        post(g_app.hwnd, std::move(input->record));
    }
    // Without a window nobody would claim it: the worker is then its only owner.
    if (g_app.hwnd != nullptr) {
        g_issued.issue(record);
    }
    return sequence;
    return sequence;
}

void completeHttpRequest(const HttpResult& result) {
    std::wstring status = L"Letzter Request: HTTP " + std::to_wstring(result.status);
    if (!result.error.empty()) {
        status += L" (" + widen(result.error) + L")";
    }
    g_app.statusText = status;
    setOutput(formatResult(result));
    InvalidateRect(g_app.hwnd, nullptr, TRUE);
}

} // namespace corvanta
