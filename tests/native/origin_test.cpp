#include "backend/origin.h"

#include "backend/contract.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace corvanta;

namespace {

void expectAccepted(const std::wstring& origin) {
    const OriginChoice choice = chooseOrigin(origin);
    EXPECT_FALSE(choice.rejected) << std::string(origin.begin(), origin.end());
    EXPECT_EQ(choice.origin, origin) << std::string(origin.begin(), origin.end());
}

void expectRejected(const std::wstring& origin) {
    const OriginChoice choice = chooseOrigin(origin);
    EXPECT_TRUE(choice.rejected) << std::string(origin.begin(), origin.end());
    EXPECT_EQ(choice.origin, contract::kOrigin) << std::string(origin.begin(), origin.end());
}

} // namespace

TEST(Origin, EmptyMeansTheDefaultWithoutComplaint) {
    const OriginChoice choice = chooseOrigin(L"");
    EXPECT_FALSE(choice.rejected);
    EXPECT_EQ(choice.origin, contract::kOrigin);
}

TEST(Origin, AcceptsHttpsHostsWithAndWithoutPort) {
    for (const wchar_t* origin : {
             L"https://corvanta.app",
             L"https://api.example.com",
             L"https://API.Example.COM",
             L"https://a",
             L"https://my-host.internal:8443",
             L"https://xn--bcher-kva.example",
             L"https://host:1",
             L"https://host:65535",
             L"https://10.0.0.1",
             L"https://255.255.255.255:443",
             L"https://0.0.0.0",
             L"https://[2001:db8::1]",
             L"https://[2001:db8::1]:8443",
             L"https://[::1]",
             L"https://[::]",
             L"https://[1:2:3:4:5:6:7:8]",
             L"https://[1::]",
             L"https://[::ffff:192.0.2.1]",
             L"https://localhost:3000",
             L"https://127.0.0.1",
         }) {
        expectAccepted(origin);
    }
    // Longest labels and host names still fit the exchange's 256-unit host buffer.
    expectAccepted(L"https://" + std::wstring(63, L'a') + L".example");
    std::wstring longest = std::wstring(63, L'a') + L"." + std::wstring(63, L'b') + L"." +
                           std::wstring(63, L'c') + L"." + std::wstring(61, L'd');
    ASSERT_EQ(longest.size(), 253u);
    expectAccepted(L"https://" + longest);
}

TEST(Origin, AcceptsPlainHttpOnlyToLoopback) {
    for (const wchar_t* origin : {
             L"http://127.0.0.1",
             L"http://127.0.0.1:8080",
             L"http://localhost",
             L"http://localhost:5173",
             L"http://[::1]",
             L"http://[::1]:9000",
         }) {
        expectAccepted(origin);
    }
    for (const wchar_t* origin : {
             L"http://corvanta.app",
             L"http://example.com:80",
             L"http://127.0.0.2",
             L"http://127.1",
             L"http://0.0.0.0:8080",
             L"http://[::2]",
             L"http://[0:0:0:0:0:0:0:1]",
             L"http://LOCALHOST",
             L"http://localhost.",
             L"http://localhost.example.com",
             L"http://127.0.0.1.nip.io",
         }) {
        expectRejected(origin);
    }
}

TEST(Origin, RefusesAnythingBeyondSchemeHostAndPort) {
    for (const wchar_t* origin : {
             L"https://corvanta.app/",
             L"https://corvanta.app/api",
             L"https://corvanta.app?x=1",
             L"https://corvanta.app#top",
             L"https://user@corvanta.app",
             L"https://user:pw@corvanta.app",
             L"https://evil.example@corvanta.app",
             L"http://127.0.0.1:8080/",
             L"http://localhost/path",
             L"https://corvanta.app:443/",
             L"https://[::1]/",
             L"https://corvanta.app\\x",
         }) {
        expectRejected(origin);
    }
}

TEST(Origin, RefusesOtherSchemesAndMalformedPrefixes) {
    for (const wchar_t* origin : {
             L"corvanta.app",
             L"ftp://corvanta.app",
             L"ws://127.0.0.1:8080",
             L"wss://corvanta.app",
             L"file:///etc/passwd",
             L"https:/corvanta.app",
             L"https:corvanta.app",
             L"https//corvanta.app",
             L"//corvanta.app",
             L"https://",
             L"http://",
             L"https://:443",
             L"http://:8080",
             // Upper-case schemes are refused: the override is written by a developer, keep one
             // form.
             L"HTTPS://corvanta.app",
             L"Https://corvanta.app",
             L"HTTP://127.0.0.1",
         }) {
        expectRejected(origin);
    }
}

TEST(Origin, RefusesBadPorts) {
    for (const wchar_t* origin : {
             L"https://host:",           L"https://host:0",      L"https://host:65536",
             L"https://host:99999",      L"https://host:123456", L"https://host:+443",
             L"https://host:-1",         L"https://host:44a",    L"https://host:0443",
             L"https://host: 443",       L"https://host:443 ",   L"https://host:443:1",
             L"https://host::443",       L"http://127.0.0.1:",   L"http://127.0.0.1:70000",
             L"http://[::1]:",           L"http://[::1]:x",      L"https://[::1]8443",
             L"https://host:4294967297",
         }) {
        expectRejected(origin);
    }
}

TEST(Origin, RefusesBadHosts) {
    for (const wchar_t* origin : {
             L"https://-host.example",
             L"https://host-.example",
             L"https://host..example",
             L"https://.example",
             L"https://example.",
             L"https://host_name.example",
             L"https://ho%73t.example",
             L"https://bücher.example",
             L"https://256.1.1.1",
             L"https://1.2.3",
             L"https://1.2.3.4.5",
             L"https://01.2.3.4",
             L"https://1..2.3",
             L"https://[::1",
             L"https://::1",
             L"https://[]",
             L"https://[::1]]",
             L"https://[1:2:3:4:5:6:7:8:9]",
             L"https://[1:2:3:4:5:6:7]",
             L"https://[1:::2]",
             L"https://[1::2::3]",
             L"https://[12345::]",
             L"https://[:1::]",
             L"https://[1:]",
             L"https://[g::1]",
             L"https://[fe80::1%25eth0]",
             L"https://[1.2.3.4]",
             L"https://[::1.2.3]",
             L"https://[host]",
         }) {
        expectRejected(origin);
    }
    expectRejected(L"https://" + std::wstring(64, L'a') + L".example");
    std::wstring tooLong = std::wstring(63, L'a') + L"." + std::wstring(63, L'b') + L"." +
                           std::wstring(63, L'c') + L"." + std::wstring(62, L'd');
    expectRejected(L"https://" + tooLong);
}

TEST(Origin, RefusesWhitespaceAndControlCharacters) {
    for (const wchar_t* origin : {
             L" https://corvanta.app",
             L"https://corvanta.app ",
             L"https://corvanta.app\t",
             L"https://corvanta.app\r\n",
             L"https://corvanta.app\nHost: evil",
             L"https://corv anta.app",
             L"https://corvanta.app\x7f",
             L"\x01https://corvanta.app",
         }) {
        expectRejected(origin);
    }
    // A NUL inside the variable's value must not shorten it to an accepted prefix.
    expectRejected(std::wstring(L"https://corvanta.app\0/evil", 26));
}

// Random printable and control input near the accepted shape: whatever is accepted has no
// character outside the origin alphabet and is returned unchanged; the rest falls back.
TEST(Origin, RandomInputIsEitherReturnedUnchangedOrRefused) {
    std::mt19937 rng(20240611);
    const std::wstring alphabet = L"aZ09-.:/[]@?#% \t\r\n\x7f\x01";
    const std::vector<std::wstring> prefixes = {L"https://", L"http://", L"https://a", L""};
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<std::size_t> length(0, 12);
    for (int i = 0; i < 20000; ++i) {
        std::wstring text = prefixes[static_cast<std::size_t>(i) % prefixes.size()];
        for (std::size_t n = length(rng); n > 0; --n) {
            text += alphabet[pick(rng)];
        }
        const OriginChoice choice = chooseOrigin(text);
        if (text.empty() || choice.rejected) {
            EXPECT_EQ(choice.origin, contract::kOrigin);
            continue;
        }
        EXPECT_EQ(choice.origin, text);
        EXPECT_EQ(text.find_first_of(L"/?#@% \t\r\n\x7f\x01", text.find(L"://") + 3),
                  std::wstring::npos);
    }
}
