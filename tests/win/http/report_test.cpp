// The output-box report: exact lines, masking, and the 12000-byte cut.
#include "backend/http.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvanta;

namespace {

const std::wstring kHead = L"Corvanta Native Win\r\n===================\r\n\r\n";
const std::wstring kMarker = L"\n\n... gekuerzt ...";

HttpResult make(std::uint32_t status, std::string body) {
    HttpResult r;
    r.status = status;
    r.request = L"GET https://corvanta.app/api/me/wallet";
    r.body = std::move(body);
    return r;
}

// The text after the "Antwort:" line.
std::wstring bodySection(const std::wstring& report) {
    const std::wstring label = L"\r\nAntwort:\r\n";
    const auto at = report.find(label);
    return at == std::wstring::npos ? L"<no body section>" : report.substr(at + label.size());
}

} // namespace

TEST(Report, CompletedExchangeLineByLine) {
    EXPECT_EQ(formatResult(make(200, "{\"balance\":12}")),
              kHead + L"GET https://corvanta.app/api/me/wallet\r\n"
                      L"Status: 200\r\n"
                      L"\r\nAntwort:\r\n"
                      L"{\"balance\":12}");
}

TEST(Report, FailedExchangeShowsStatusZeroAndTheError) {
    HttpResult r = make(0, "");
    r.error = "HTTP Request fehlgeschlagen.";
    EXPECT_EQ(formatResult(r), kHead + L"GET https://corvanta.app/api/me/wallet\r\n"
                                       L"Status: 0\r\n"
                                       L"Fehler: HTTP Request fehlgeschlagen.\r\n"
                                       L"\r\nAntwort:\r\n");
}

TEST(Report, ErrorThenTokenNoteAndTheTokenItselfNeverShows) {
    HttpResult r;
    r.status = 200;
    r.request = L"POST https://corvanta.app/api/auth/login";
    r.body = "{\"accessToken\":\"tok-8f3a-SECRET\",\"user\":{\"name\":\"Ana\"}}";
    r.token = "tok-8f3a-SECRET";
    r.isLogin = true;
    r.error = "Session konnte nicht gespeichert werden.";
    const std::wstring report = formatResult(r);
    EXPECT_EQ(report, kHead + L"POST https://corvanta.app/api/auth/login\r\n"
                              L"Status: 200\r\n"
                              L"Fehler: Session konnte nicht gespeichert werden.\r\n"
                              L"Token: empfangen und fuer diese Sitzung gespeichert\r\n"
                              L"\r\nAntwort:\r\n"
                              L"{\"accessToken\":\"[redacted]\",\"user\":{\"name\":\"Ana\"}}");
    EXPECT_EQ(report.find(L"SECRET"), std::wstring::npos);

    r.error.clear();
    EXPECT_EQ(formatResult(r).find(L"Fehler: "), std::wstring::npos);
    EXPECT_NE(formatResult(r).find(L"Status: 200\r\nToken: empfangen"), std::wstring::npos);
}

TEST(Report, NonAsciiBodyIsShownAsText) {
    EXPECT_EQ(bodySection(formatResult(make(200, "{\"t\":\"Gr\xc3\xbc\xc3\x9f"
                                                 "e \xe2\x9c\x93\"}"))),
              L"{\"t\":\"Gr\u00fc\u00dfe \u2713\"}");
}

TEST(Report, CutAtExactly12000MaskedBytes) {
    const std::string exact(12000, 'x');
    EXPECT_EQ(bodySection(formatResult(make(200, exact))), std::wstring(12000, L'x'));

    const std::string over = exact + "y";
    EXPECT_EQ(bodySection(formatResult(make(200, over))), std::wstring(12000, L'x') + kMarker);
}

TEST(Report, LimitAppliesToTheMaskedText) {
    // Long before masking, short after: shown whole.
    const std::string longSecret = "{\"token\":\"" + std::string(20000, 's') + "\"}";
    EXPECT_EQ(bodySection(formatResult(make(200, longSecret))), L"{\"token\":\"[redacted]\"}");

    // 11999 bytes before masking, 12009 after: cut.
    std::string grows = "{\"token\":\"\",\"pad\":\"";
    grows += std::string(11999 - grows.size() - 2, 'p') + "\"}";
    ASSERT_EQ(grows.size(), 11999u);
    const std::wstring shown = bodySection(formatResult(make(200, grows)));
    ASSERT_GE(shown.size(), kMarker.size());
    EXPECT_EQ(shown.substr(shown.size() - kMarker.size()), kMarker);
    EXPECT_EQ(shown.size(), 12000u + kMarker.size());
    EXPECT_EQ(shown.substr(0, 22), L"{\"token\":\"[redacted]\",");
}

TEST(Report, SecretAcrossTheCutIsMaskedWhole) {
    // The value runs from byte 11980 to 12020 of the raw body.
    std::string body = "{\"pad\":\"";
    const std::string key = "\",\"password\":\"";
    body += std::string(11980 - body.size() - key.size(), 'p') + key;
    ASSERT_EQ(body.size(), 11980u);
    body += std::string(40, 'Q') + "\",\"tail\":\"" + std::string(500, 't') + "\"}";
    const std::wstring shown = bodySection(formatResult(make(200, body)));
    EXPECT_EQ(shown.find(L'Q'), std::wstring::npos);
    EXPECT_NE(shown.find(L"\"password\":\"[redacted]\""), std::wstring::npos);
    EXPECT_EQ(shown.size(), 12000u + kMarker.size());
}

TEST(Report, CutInsideAUtf8CharacterShowsReplacement) {
    // "\xc3\xa4" (a-umlaut) occupies bytes 11999 and 12000: the cut keeps only its lead byte.
    const std::string body = std::string(11999, 'a') + "\xc3\xa4" + "tail";
    EXPECT_EQ(bodySection(formatResult(make(200, body))),
              std::wstring(11999, L'a') + L"\uFFFD" + kMarker);

    // A four-byte character cut after its second byte.
    const std::string emoji = std::string(11998, 'a') + "\xf0\x9f\x98\x80";
    const std::wstring shown = bodySection(formatResult(make(200, emoji)));
    EXPECT_EQ(shown.substr(0, 11998), std::wstring(11998, L'a'));
    EXPECT_NE(shown.find(L'\uFFFD', 11998), std::wstring::npos);
    EXPECT_EQ(shown.substr(shown.size() - kMarker.size()), kMarker);
}
