// Requests on detached worker threads; results come back to the GUI thread as WM_CV_HTTP_DONE.
#pragma once
#include "backend/handover.h"
#include "backend/http.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvanta {

// The heap record whose address WM_CV_HTTP_DONE names. Records still alive are counted, so tests
// can prove that undelivered ones are freed.
struct HttpCompletion {
    HttpResult result;
    std::uint64_t sequence = 0; // the number runHttpAsync gave the request
    std::uint64_t session = 0;  // the sign-in session the request was started in
    std::atomic<bool> handedOver{false};
    HttpCompletion();
    ~HttpCompletion();
    HttpCompletion(const HttpCompletion&) = delete;
    HttpCompletion& operator=(const HttpCompletion&) = delete;
};
long liveHttpCompletions();

// Posts the address of a finished record to the window; a worker waits while the window's queue
// is full. False when it could not be posted.
bool postRecord(HWND target, unsigned message, const void* record);

// WM_CV_HTTP_DONE: the record the message names, if it is one this thread handed out and its
// worker has finished; null for any other value.
std::shared_ptr<HttpCompletion> claimHttpCompletion(LPARAM value);
// The main window is gone: records still out are freed once their workers let go.
void dropIssuedHttpCompletions();

// Starts work on a detached thread; throws std::system_error when no thread can be started.
using WorkerStarter = void (*)(std::function<void()> work);
void startWorker(std::function<void()> work);
// Replaces the thread start (tests); null restores the real one.
void setWorkerStarterForTests(WorkerStarter starter);

// Every request goes to this origin. Set once at start-up, before any worker runs.
const std::wstring& backendOrigin();
void setBackendOrigin(const std::wstring& origin);
// Reads CORVANTA_ORIGIN; an unacceptable value is ignored and the login card says so.
void applyOriginFromEnvironment();

// Requests belong to the session they were started in; a logout starts a new one, so that no
// answer meant for the previous user is ever shown. GUI thread only.
std::uint64_t currentSession();
void beginNewSession();

// A sign-in answer yields its token only with a 2xx status.
bool acceptsLoginToken(std::uint32_t status);

// A sign-in: exactly POST to the login path (a query appended makes it another request).
bool isLoginRequest(const std::wstring& method, const std::wstring& path);

// The login token keys, in the order they are tried.
const std::vector<std::string>& loginTokenKeys();

// Shows that the request runs and starts it on a worker. Returns the request's number.
std::uint64_t runHttpAsync(const std::wstring& label, const std::wstring& method,
                           const std::wstring& path, const std::string& body, bool withAuth);

// The generic completion: status line, report in the output box, repaint.
void completeHttpRequest(const HttpResult& result);

} // namespace corvanta
