// Placeholder until the HTTP exchange lands.
#include "backend/http.h"

namespace corvanta {

HttpResult requestWinHttp(const std::wstring& method, const std::wstring& url, const std::string&,
                          const std::string&) {
    HttpResult result;
    result.request = method + L" " + url;
    result.error = "HTTP Request fehlgeschlagen.";
    return result;
}

std::wstring formatResult(const HttpResult& result) { return result.request; }

} // namespace corvanta
