// The CORVANTA_ORIGIN check: plain http only to 127.0.0.1, localhost or [::1]; an accepted origin
// is scheme, host and optional port (1..65535) and nothing else; a refused one falls back to the
// compiled-in origin. The input is read as UTF-8 (a byte that starts no sequence stands for
// itself) and turned into UTF-16 units, as the environment hands it over on Windows.
#include "backend/contract.h"
#include "backend/origin.h"
#include "property.h"

namespace {

std::wstring utf16Units(const std::string& bytes) {
    std::wstring out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const int extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        unsigned cp = extra == 3 ? b & 0x07u : extra == 2 ? b & 0x0Fu : extra == 1 ? b & 0x1Fu : b;
        bool valid = extra > 0 && i + extra < bytes.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        if (cp > 0xFFFF && cp <= 0x10FFFF) {
            out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp & 0xFFFF);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

bool isPlainPort(std::wstring_view port) {
    if (port.empty() || port.size() > 5 || port[0] == L'0') {
        return false;
    }
    unsigned value = 0;
    for (const wchar_t c : port) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    return value <= 65535;
}

bool isAuthorityChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'.' || c == L'-' || c == L':' || c == L'[' || c == L']';
}

bool isLoopbackAuthority(std::wstring_view authority) {
    for (const std::wstring_view host : {L"127.0.0.1", L"localhost", L"[::1]"}) {
        if (authority == host) {
            return true;
        }
        if (authority.size() > host.size() && authority.substr(0, host.size()) == host &&
            authority[host.size()] == L':') {
            return isPlainPort(authority.substr(host.size() + 1));
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using cvfuzz::require;
    const std::wstring input = utf16Units(cvfuzz::bytes(data, size));
    const corvanta::OriginChoice choice = corvanta::chooseOrigin(input);
    if (input.empty() || choice.rejected) {
        require(choice.origin == corvanta::contract::kOrigin,
                "no override: the compiled-in origin");
        require(!input.empty() || !choice.rejected, "no override is not a refused one");
        return 0;
    }
    require(choice.origin == input, "an accepted override is used as given");
    const std::wstring_view origin = choice.origin;
    constexpr std::wstring_view kHttps = L"https://";
    constexpr std::wstring_view kHttp = L"http://";
    const bool secure = origin.substr(0, kHttps.size()) == kHttps;
    require(secure || origin.substr(0, kHttp.size()) == kHttp, "only http and https");
    const std::wstring_view authority = origin.substr(secure ? kHttps.size() : kHttp.size());
    require(!authority.empty(), "a host is given");
    for (const wchar_t c : authority) {
        require(isAuthorityChar(c), "nothing but host and port: no path, user, query or blanks");
    }
    if (!secure) {
        require(isLoopbackAuthority(authority), "plain http only to a loopback host");
    }
    // A port, where one is given, is plain decimal 1..65535.
    const std::size_t close = authority.rfind(L']');
    const std::size_t colon = authority.find(L':', close == std::wstring_view::npos ? 0 : close);
    if (colon != std::wstring_view::npos) {
        require(isPlainPort(authority.substr(colon + 1)), "the port is 1..65535");
    }
    return 0;
}
