// The text report of one exchange for the output box.
#include "backend/http.h"

#include "backend/text.h"
#include "backend/text_win.h"

#include <string>

namespace corvanta {

std::wstring formatResult(const HttpResult& result) {
    std::wstring out = L"Corvanta Native Win\r\n===================\r\n\r\n";
    out += result.request + L"\r\n";
    out += L"Status: " + std::to_wstring(result.status) + L"\r\n";
    if (!result.error.empty()) {
        out += L"Fehler: " + widen(result.error) + L"\r\n";
    }
    if (!result.token.empty()) {
        out += L"Token: empfangen und fuer diese Sitzung gespeichert\r\n";
    }
    out += L"\r\nAntwort:\r\n";

    out += widen(shownBody(result.body));
    return out;
}

} // namespace corvanta
