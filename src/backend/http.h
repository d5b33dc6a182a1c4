// One synchronous HTTP exchange through WinHTTP, and its text report for the output box.
#pragma once
#include <cstdint>
#include <string>

namespace corvanta {

struct HttpResult {
    std::uint32_t status = 0;
    std::wstring request; // method, space, full URL
    std::string body;     // response bytes as received
    std::string token;    // only for a sign-in answer
    std::string error;    // German error text, empty when the exchange completed
    bool isLogin = false;
    bool tokenRefused = false; // a 2xx sign-in answer whose token could never be sent
};

// Whether a token can go into a header line and reach the server as it was written: visible
// ASCII only. A control byte would break the line (CR or LF would add headers of its own), and
// WinHTTP sends bytes past ASCII in another encoding than the server wrote them. The exchange
// sends no token that fails it, and a sign-in takes none.
bool fitsInHeader(const std::string& value);

// Blocks for up to the timeouts; call on a worker thread only. Never throws: every failure is a
// German text in `error`. Any HTTP status counts as a completed exchange. A token that fails
// fitsInHeader is not sent: "Request konnte nicht erstellt werden.".
HttpResult requestWinHttp(const std::wstring& method, const std::wstring& url,
                          const std::string& body, const std::string& token);

// The report: banner, request line, status, error and token notes, masked and capped body.
std::wstring formatResult(const HttpResult& result);

} // namespace corvanta
