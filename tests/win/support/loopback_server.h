// A scripted HTTP/1.1 server on 127.0.0.1 inside the test process, for tests that drive the real
// WinHTTP client. One thread serves one connection at a time; every answer closes its connection.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace cvtest {

// One scripted answer.
struct Response {
    Response() = default;
    Response(int status, std::string body = {}) : status(status), body(std::move(body)) {}

    int status = 200;
    std::string body;
    std::string reason;               // empty: the usual phrase for the status ("OK", ...)
    std::vector<std::string> headers; // extra lines without "\r\n", e.g. "X-Trace: 1"
    int delayMs = 0;                  // wait this long after reading the request
    bool holdUntilReleased = false;   // wait until release() (or the server's destruction)
    // Announce Content-Length = body.size() but send only this many body bytes, then close.
    std::optional<std::size_t> closeAfterBytes;
    // Send `body` as it is, without status line or headers (a server that speaks no HTTP).
    bool raw = false;
    // Close the connection with a reset instead of answering.
    bool reset = false;
};

// One request as it arrived.
struct Request {
    std::string requestLine;          // "GET /path?q HTTP/1.1"
    std::vector<std::string> headers; // raw header lines in order, without "\r\n"
    std::string body;                 // exactly Content-Length bytes

    std::string method() const; // first word of the request line
    std::string target() const; // second word: path and query
    // Value (leading blanks trimmed) of the first header with this name, any case.
    std::optional<std::string> header(const std::string& name) const;
};

class LoopbackServer {
  public:
    using Handler = std::function<Response(const Request&)>;

    // Listening on an ephemeral port once constructed; throws std::runtime_error otherwise.
    LoopbackServer();
    // Stops accepting, cuts any held or delayed answer short and joins the thread.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Answers are taken from the queue first, in order; when it is empty the handler (called on
    // the server thread) decides; without a handler the answer is 404 {"error":"not scripted"}.
    void respond(Response response);
    void setHandler(Handler handler);
    // Lets every answer marked holdUntilReleased go, now and from then on.
    void release();

    unsigned short port() const { return port_; }
    std::wstring origin() const; // L"http://127.0.0.1:PORT"

    std::vector<Request> requests() const; // copy of everything received so far
    std::size_t requestCount() const;
    // True once at least n requests have been received; false after timeoutMs without.
    bool waitForRequests(std::size_t n, int timeoutMs) const;

  private:
    void run();
    void serve(std::uintptr_t client);
    Response next(const Request& request);
    bool pause(const Response& response); // false when the server is stopping

    std::uintptr_t listener_;
    unsigned short port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<Response> queue_;
    Handler handler_;
    std::vector<Request> requests_;
    bool released_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

// A loopback port with nothing listening on it (bound once, then closed).
unsigned short unusedLoopbackPort();

} // namespace cvtest
