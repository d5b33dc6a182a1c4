// One blocking WinHTTP exchange. Every failure ends up as a German text in the result.
#include "backend/http.h"

#include "backend/text_win.h"

#include <windows.h>
#include <winhttp.h>

#include <iterator>
#include <new>
#include <string>
#include <vector>

namespace corvanta {

namespace {

constexpr const wchar_t* kUserAgent = L"CorvantaNativeWin/0.2";
constexpr std::size_t kBodyCap = 128000;

constexpr const char* kErrUrl = "URL konnte nicht gelesen werden.";
constexpr const char* kErrSession = "WinHTTP Session konnte nicht gestartet werden.";
constexpr const char* kErrConnect = "Verbindung konnte nicht erstellt werden.";
constexpr const char* kErrRequest = "Request konnte nicht erstellt werden.";
constexpr const char* kErrSend = "HTTP Request fehlgeschlagen.";

#ifndef WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3
#define WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3 0x00002000
#endif

// Owns one WinHTTP handle. Declared in opening order, so locals close in reverse order.
class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_) {
            WinHttpCloseHandle(handle_);
        }
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    HINTERNET handle_;
};

// TLS 1.2 and newer only: left to itself the service also completes a TLS 1.0 handshake, and the
// password would travel over it. Systems that do not know TLS 1.3 refuse the combined flags.
// False when no setting took: the session must not be used then.
bool restrictToModernTls(HINTERNET session) {
    constexpr DWORD kChoices[] = {WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 |
                                      WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3,
                                  WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2};
    for (DWORD protocols : kChoices) {
        if (WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                             sizeof(protocols))) {
            return true;
        }
    }
    return false;
}

bool disableRedirects(HINTERNET request) {
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    const bool disabled =
        WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof(feature));
    const bool never =
        WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
    return disabled || never;
}

void exchange(const std::wstring& method, const std::wstring& url, const std::string& body,
              const std::string& token, HttpResult& result) {
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.lpszHostName = host;
    parts.dwHostNameLength = static_cast<DWORD>(std::size(host));
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = static_cast<DWORD>(std::size(path));
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
        result.error = kErrUrl;
        return;
    }

    std::wstring object(path, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo && parts.dwExtraInfoLength > 0) {
        object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    }

    InternetHandle session(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session || !restrictToModernTls(session.get())) {
        result.error = kErrSession;
        return;
    }
    InternetHandle connection(WinHttpConnect(session.get(), host, parts.nPort, 0));
    if (!connection) {
        result.error = kErrConnect;
        return;
    }
    const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    InternetHandle request(WinHttpOpenRequest(connection.get(), method.c_str(), object.c_str(),
                                              nullptr, WINHTTP_NO_REFERER,
                                              WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request || !fitsInHeader(token)) {
        // A token that cannot be sent safely is a request that cannot be created.
        result.error = kErrRequest;
        return;
    }
    // A redirect would carry the bearer token, and on 307 the password, to wherever the answer
    // points: the caller sees the 3xx answer instead. Without that promise nothing is sent.
    if (!disableRedirects(request.get())) {
        result.error = kErrRequest;
        return;
    }
    WinHttpSetTimeouts(request.get(), 15000, 15000, 30000, 30000);

    std::wstring headers = L"Accept: application/json\r\n";
    if (!body.empty()) {
        headers += L"Content-Type: application/json\r\n";
    }
    if (!token.empty()) {
        headers += L"Authorization: Bearer " + widen(token) + L"\r\n";
    }

    const auto bodyLength = static_cast<DWORD>(body.size());
    void* optional = body.empty() ? nullptr : const_cast<char*>(body.data());
    if (!WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                            optional, bodyLength, bodyLength, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        result.error = kErrSend;
        return;
    }

    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize,
                        WINHTTP_NO_HEADER_INDEX);
    result.status = status;

    // A short or failed read is not an error: the caller shows whatever arrived.
    try {
        std::vector<char> chunk;
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request.get(), &available) || available == 0) {
                break;
            }
            chunk.resize(available);
            DWORD read = 0;
            if (!WinHttpReadData(request.get(), chunk.data(), available, &read) || read == 0) {
                break;
            }
            result.body.append(chunk.data(), read);
            if (result.body.size() > kBodyCap) {
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        // Keep what was read so far.
    }
}

} // namespace

bool fitsInHeader(const std::string& value) {
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

HttpResult requestWinHttp(const std::wstring& method, const std::wstring& url,
                          const std::string& body, const std::string& token) {
    HttpResult result;
    try {
        result.request = method + L" " + url;
        exchange(method, url, body, token, result);
    } catch (...) {
        // Runs on a worker: the result always comes back, never an exception.
        result.status = 0;
        result.body.clear();
        result.error = kErrSend;
    }
    return result;
}

} // namespace corvanta
