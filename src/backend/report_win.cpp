// The text report of one exchange for the output box.
#include "backend/http.h"

#include "backend/text.h"
#include "backend/text_win.h"

#include <string>

namespace corvanta {

namespace {

constexpr std::size_t kShownBodyBytes = 12000;

} // namespace

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

    // Mask first, so a secret that straddles the cut is still hidden as a whole.
    std::string shown = redactJsonSecrets(result.body);
    if (shown.size() > kShownBodyBytes) {
        shown.resize(kShownBodyBytes);
        shown += "\n\n... gekuerzt ...";
    }
    out += widen(shown);
    return out;
}

} // namespace corvanta
