#include "support/loopback_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace cvtest {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 20;         // how often a blocked socket wait looks at the stop flag
constexpr int kIdleLimitMs = 10000; // a client silent this long is dropped
constexpr std::size_t kMaxHead = 1 << 16;

SOCKET asSocket(std::uintptr_t value) {
    return static_cast<SOCKET>(value);
}

class WinsockUser {
  public:
    WinsockUser() {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            throw std::runtime_error("WSAStartup failed");
        }
    }
    ~WinsockUser() { WSACleanup(); }
    WinsockUser(const WinsockUser&) = delete;
    WinsockUser& operator=(const WinsockUser&) = delete;
};

// Waits until the socket can be read (or written); false on timeout.
bool ready(SOCKET s, bool forWrite, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    const int n = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &tv);
    return n > 0;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string word(const std::string& line, int index) {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = line.find(' ', start);
        if (start == std::string::npos) {
            return {};
        }
        ++start;
    }
    const std::size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string reasonFor(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 409:
        return "Conflict";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

bool hasHeader(const std::vector<std::string>& lines, const std::string& name) {
    const std::string prefix = lower(name) + ":";
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return lower(line.substr(0, prefix.size())) == prefix;
    });
}

} // namespace

std::string Request::method() const {
    return word(requestLine, 0);
}
std::string Request::target() const {
    return word(requestLine, 1);
}

std::optional<std::string> Request::header(const std::string& name) const {
    const std::string prefix = lower(name) + ":";
    for (const auto& line : headers) {
        if (lower(line.substr(0, prefix.size())) == prefix) {
            const std::size_t start = line.find_first_not_of(" \t", prefix.size());
            return start == std::string::npos ? std::string() : line.substr(start);
        }
    }
    return std::nullopt;
}

LoopbackServer::LoopbackServer() : listener_(static_cast<std::uintptr_t>(INVALID_SOCKET)) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    if (s == INVALID_SOCKET ||
        bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(s, SOMAXCONN) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s != INVALID_SOCKET) {
            closesocket(s);
        }
        WSACleanup();
        throw std::runtime_error("loopback server could not listen");
    }
    listener_ = static_cast<std::uintptr_t>(s);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    closesocket(asSocket(listener_));
    WSACleanup();
}

void LoopbackServer::respond(Response response) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(response));
}

void LoopbackServer::setHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void LoopbackServer::release() {
    {
        std::lock_guard lock(mutex_);
        released_ = true;
    }
    changed_.notify_all();
}

std::wstring LoopbackServer::origin() const {
    return L"http://127.0.0.1:" + std::to_wstring(port_);
}

std::vector<Request> LoopbackServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackServer::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

bool LoopbackServer::waitForRequests(std::size_t n, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return requests_.size() >= n; });
}

void LoopbackServer::run() {
    const SOCKET listener = asSocket(listener_);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
        }
        if (!ready(listener, false, kPollMs)) {
            continue;
        }
        const SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            continue;
        }
        try {
            serve(static_cast<std::uintptr_t>(client));
        } catch (...) {
            // A broken exchange must not take the test process down; the test sees it failing.
        }
        closesocket(client);
    }
}

Response LoopbackServer::next(const Request& request) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        if (!queue_.empty()) {
            Response response = std::move(queue_.front());
            queue_.pop_front();
            return response;
        }
        handler = handler_;
    }
    if (handler) {
        try {
            return handler(request);
        } catch (...) {
            return Response(500, "{\"error\":\"handler threw\"}");
        }
    }
    return Response(404, "{\"error\":\"not scripted\"}");
}

bool LoopbackServer::pause(const Response& response) {
    std::unique_lock lock(mutex_);
    if (response.delayMs > 0) {
        changed_.wait_for(lock, std::chrono::milliseconds(response.delayMs),
                          [&] { return stopping_; });
    }
    if (response.holdUntilReleased) {
        changed_.wait(lock, [&] { return stopping_ || released_; });
    }
    return !stopping_;
}

void LoopbackServer::serve(std::uintptr_t clientValue) {
    const SOCKET client = asSocket(clientValue);
    auto stopping = [this] {
        std::lock_guard lock(mutex_);
        return stopping_;
    };

    // Reads more bytes into buffer; false on close, error, stop or a long silence.
    std::string buffer;
    auto readMore = [&]() -> bool {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kIdleLimitMs);
        while (!stopping() && Clock::now() < deadline) {
            if (!ready(client, false, kPollMs)) {
                continue;
            }
            char chunk[8192];
            const int n = recv(client, chunk, sizeof(chunk), 0);
            if (n <= 0) {
                return false;
            }
            buffer.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
        return false;
    };

    std::size_t headEnd;
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
        if (buffer.size() > kMaxHead || !readMore()) {
            return;
        }
    }

    Request request;
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < headEnd) {
        std::size_t lineEnd = buffer.find("\r\n", lineStart);
        std::string line = buffer.substr(lineStart, lineEnd - lineStart);
        if (first) {
            request.requestLine = std::move(line);
            first = false;
        } else {
            request.headers.push_back(std::move(line));
        }
        lineStart = lineEnd + 2;
    }

    std::size_t contentLength = 0;
    if (const auto value = request.header("Content-Length")) {
        contentLength = static_cast<std::size_t>(std::stoull(*value));
    }
    const std::size_t bodyStart = headEnd + 4;
    while (buffer.size() < bodyStart + contentLength) {
        if (!readMore()) {
            return;
        }
    }
    request.body = buffer.substr(bodyStart, contentLength);

    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    changed_.notify_all();

    const Response response = next(request);
    if (!pause(response)) {
        return;
    }

    if (response.reset) {
        // No linger: closing now sends RST instead of FIN.
        const linger abortive{1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive),
                   sizeof(abortive));
        return;
    }

    std::string head;
    if (!response.raw) {
        head = "HTTP/1.1 " + std::to_string(response.status) + " " +
               (response.reason.empty() ? reasonFor(response.status) : response.reason) + "\r\n";
        if (!hasHeader(response.headers, "Content-Length")) {
            head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        }
        if (!hasHeader(response.headers, "Connection")) {
            head += "Connection: close\r\n";
        }
        for (const auto& line : response.headers) {
            head += line + "\r\n";
        }
        head += "\r\n";
    }
    const std::size_t bodyBytes =
        std::min(response.body.size(), response.closeAfterBytes.value_or(response.body.size()));

    // Head and body are sent from where they are: a body of megabytes is not copied again.
    auto sendAll = [&](const char* data, std::size_t size) -> bool {
        std::size_t sent = 0;
        auto deadline = Clock::now() + std::chrono::milliseconds(kIdleLimitMs);
        while (sent < size) {
            if (stopping() || Clock::now() >= deadline) {
                return false;
            }
            if (!ready(client, true, kPollMs)) {
                continue;
            }
            const int chunk = static_cast<int>(std::min<std::size_t>(size - sent, 65536));
            const int n = send(client, data + sent, chunk, 0);
            if (n <= 0) {
                return false; // the client went away, for example after reading all it wanted
            }
            sent += static_cast<std::size_t>(n);
            deadline = Clock::now() + std::chrono::milliseconds(kIdleLimitMs);
        }
        return true;
    };
    if (!sendAll(head.data(), head.size()) || !sendAll(response.body.data(), bodyBytes)) {
        return;
    }

    // Close gracefully: our side first, then wait briefly for the client to close its side, so
    // the last bytes are not lost to a reset.
    shutdown(client, SD_SEND);
    const auto lingerUntil = Clock::now() + std::chrono::milliseconds(2000);
    while (!stopping() && Clock::now() < lingerUntil) {
        if (!ready(client, false, kPollMs)) {
            continue;
        }
        char sink[4096];
        if (recv(client, sink, sizeof(sink), 0) <= 0) {
            break;
        }
    }
}

unsigned short unusedLoopbackPort() {
    WinsockUser winsock;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    const bool ok = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    closesocket(s);
    if (!ok) {
        throw std::runtime_error("no free loopback port");
    }
    return ntohs(address.sin_port);
}

} // namespace cvtest
