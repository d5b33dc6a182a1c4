// One blocking WinHTTP exchange. Every failure ends up as a German text in the result.
#include "backend/http.h"

#include "backend/proxy.h"
#include "backend/text_win.h"

#include <windows.h>
#include <winhttp.h>

#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <string_view>
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

// Owns a string WinHTTP allocated for the caller.
class GlobalText {
  public:
    explicit GlobalText(LPWSTR text) : text_(text) {}
    ~GlobalText() {
        if (text_) {
            GlobalFree(text_);
        }
    }
    GlobalText(const GlobalText&) = delete;
    GlobalText& operator=(const GlobalText&) = delete;

    std::wstring text() const { return text_ ? std::wstring(text_) : std::wstring(); }

  private:
    LPWSTR text_;
};

// The proxy the user set in Settings or Internet Options. The machine-wide setting that
// WINHTTP_ACCESS_TYPE_DEFAULT_PROXY reads is a different one, rarely set.
std::optional<ProxySettings> userProxySettings() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) {
        return std::nullopt;
    }
    const GlobalText autoConfigUrl(config.lpszAutoConfigUrl);
    const GlobalText proxy(config.lpszProxy);
    const GlobalText bypass(config.lpszProxyBypass);
    ProxySettings settings;
    settings.autoDetect = config.fAutoDetect != FALSE;
    settings.autoConfigUrl = autoConfigUrl.text();
    settings.proxy = proxy.text();
    settings.bypass = bypass.text();
    return settings;
}

HINTERNET openSession(const ProxyChoice& choice) {
    DWORD access = WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    const wchar_t* proxy = WINHTTP_NO_PROXY_NAME;
    switch (choice.access) {
    case ProxyAccess::Direct:
        access = WINHTTP_ACCESS_TYPE_NO_PROXY;
        break;
    case ProxyAccess::Named:
        access = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        proxy = choice.proxy.c_str();
        break;
    case ProxyAccess::Automatic:
        access = WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY;
        break;
    case ProxyAccess::Default:
    case ProxyAccess::Resolve:
        break;
    }
    return WinHttpOpen(kUserAgent, access, proxy, WINHTTP_NO_PROXY_BYPASS, 0);
}

// Runs the setup script or the detection for this URL, in a session of its own. When that
// fails, the user's fixed proxy (if any) applies, as Windows falls back to it.
ProxyChoice resolveProxy(const std::wstring& url, std::wstring_view scheme, std::wstring_view host,
                         const ProxySettings& settings) {
    ProxySettings fallback = settings;
    fallback.autoDetect = false;
    fallback.autoConfigUrl.clear();

    InternetHandle resolver(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!resolver) {
        return chooseProxy(scheme, host, &fallback, false);
    }
    WinHttpSetTimeouts(resolver.get(), 15000, 15000, 30000, 30000);
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (settings.autoDetect) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    if (!settings.autoConfigUrl.empty()) {
        options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = settings.autoConfigUrl.c_str();
    }
    WINHTTP_PROXY_INFO info = {};
    BOOL resolved = WinHttpGetProxyForUrl(resolver.get(), url.c_str(), &options, &info);
    if (!resolved && GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {
        // The script's server asked who we are: only then offer the user's logon.
        options.fAutoLogonIfChallenged = TRUE;
        resolved = WinHttpGetProxyForUrl(resolver.get(), url.c_str(), &options, &info);
    }
    const GlobalText proxy(info.lpszProxy);
    const GlobalText bypass(info.lpszProxyBypass);
    if (!resolved) {
        return chooseProxy(scheme, host, &fallback, false);
    }
    if (info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
        return {ProxyAccess::Direct, {}};
    }
    ProxySettings answer;
    answer.proxy = proxy.text();
    answer.bypass = bypass.text();
    return chooseProxy(scheme, host, &answer, false);
}

bool runsUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A header that joins the request once its connection stands, added at most once.
struct LateHeader {
    std::wstring line;
    bool added = false;
};

void CALLBACK addLateHeader(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID,
                            DWORD) noexcept {
    auto* late = reinterpret_cast<LateHeader*>(context);
    if (status != WINHTTP_CALLBACK_STATUS_CONNECTED_TO_SERVER || late == nullptr || late->added) {
        return;
    }
    late->added =
        WinHttpAddRequestHeaders(request, late->line.c_str(), static_cast<DWORD>(late->line.size()),
                                 WINHTTP_ADDREQ_FLAG_ADD) != FALSE;
}

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

    // HTTPS through a proxy is tunnelled (CONNECT): the proxy sees neither the token nor the
    // password, and the certificate is still checked against the origin's host.
    LateHeader lateToken;
    const std::wstring_view scheme = parts.nScheme == INTERNET_SCHEME_HTTPS ? L"https" : L"http";
    const std::wstring_view hostName(host, parts.dwHostNameLength);
    const std::optional<ProxySettings> user = userProxySettings();
    const ProxySettings* settings = user ? &*user : nullptr;
    ProxyChoice choice = chooseProxy(scheme, hostName, settings, true);
    HINTERNET opened = openSession(choice);
    if (!opened && choice.access == ProxyAccess::Automatic) {
        // Windows before 8.1 does not know that access type.
        choice = chooseProxy(scheme, hostName, settings, false);
    }
    if (choice.access == ProxyAccess::Resolve) {
        choice = resolveProxy(url, scheme, hostName, *settings);
        opened = openSession(choice);
    }
    InternetHandle session(opened);
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
    DWORD_PTR context = 0;
    if (!token.empty()) {
        const std::wstring line = L"Authorization: Bearer " + widen(token) + L"\r\n";
        if (choice.access != ProxyAccess::Direct && runsUnderWine()) {
            // WinHTTP under Wine copies the request's headers into the CONNECT that opens a
            // tunnel, where the proxy reads them: the token is added once the tunnel stands.
            lateToken.line = line;
            context = reinterpret_cast<DWORD_PTR>(&lateToken);
            if (WinHttpSetStatusCallback(request.get(), addLateHeader,
                                         WINHTTP_CALLBACK_FLAG_CONNECT_TO_SERVER,
                                         0) == WINHTTP_INVALID_STATUS_CALLBACK) {
                result.error = kErrRequest;
                return;
            }
        } else {
            headers += line;
        }
    }

    const auto bodyLength = static_cast<DWORD>(body.size());
    void* optional = body.empty() ? nullptr : const_cast<char*>(body.data());
    if (!WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                            optional, bodyLength, bodyLength, context) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        result.error = kErrSend;
        return;
    }
    if (!lateToken.line.empty() && !lateToken.added) {
        // The request left without its token: not the exchange that was asked for.
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
        if (byte < 0x21 || byte > 0x7E) {
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
