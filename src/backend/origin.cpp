// Validates the CORVANTA_ORIGIN override. Every path is appended to the origin unchanged, so
// anything beyond scheme, host and port would silently change where requests go: refuse it.
#include "backend/origin.h"

#include "backend/contract.h"

#include <cstddef>
#include <string_view>

namespace corvanta {

namespace {

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}
bool isHex(wchar_t c) {
    return isDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}
bool isLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// 1..65535 in plain decimal: no sign, no leading zero, no other characters.
bool validPort(std::wstring_view text) {
    if (text.empty() || text.size() > 5 || text[0] == L'0') {
        return false;
    }
    unsigned value = 0;
    for (const wchar_t c : text) {
        if (!isDigit(c)) {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    return value >= 1 && value <= 65535;
}

// Dotted quad, each part 0..255 without leading zeros (no octal or shortened forms).
bool validIpv4(std::wstring_view text) {
    int parts = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find(L'.', start);
        const std::wstring_view part = text.substr(
            start, dot == std::wstring_view::npos ? std::wstring_view::npos : dot - start);
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == L'0')) {
            return false;
        }
        unsigned value = 0;
        for (const wchar_t c : part) {
            if (!isDigit(c)) {
                return false;
            }
            value = value * 10 + static_cast<unsigned>(c - L'0');
        }
        if (value > 255) {
            return false;
        }
        ++parts;
        if (dot == std::wstring_view::npos) {
            break;
        }
        start = dot + 1;
    }
    return parts == 4;
}

// The inside of "[...]": up to eight hex groups of 1..4 digits, at most one "::", optionally a
// dotted quad in place of the last two groups. No zone index.
bool validIpv6(std::wstring_view text) {
    if (text.empty()) {
        return false;
    }
    int groups = 0;
    bool elided = false;
    std::size_t i = 0;
    if (text.substr(0, 2) == L"::") {
        elided = true;
        i = 2;
    } else if (text[0] == L':') {
        return false;
    }
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && isHex(text[end])) {
            ++end;
        }
        if (end < text.size() && text[end] == L'.') {
            // An embedded IPv4 address ends the literal and counts as two groups.
            if (!validIpv4(text.substr(i))) {
                return false;
            }
            groups += 2;
            i = text.size();
            break;
        }
        const std::size_t length = end - i;
        if (length == 0 || length > 4) {
            return false;
        }
        ++groups;
        i = end;
        if (i == text.size()) {
            break;
        }
        if (text[i] != L':') {
            return false;
        }
        if (text.substr(i, 2) == L"::") {
            if (elided) {
                return false;
            }
            elided = true;
            i += 2;
        } else {
            ++i;
            if (i == text.size()) {
                return false; // a single trailing colon
            }
        }
    }
    return elided ? groups <= 7 : groups == 8;
}

// Labels of letters, digits and '-', 1..63 long, no '-' at either end, 253 characters at most.
bool validHostName(std::wstring_view text) {
    if (text.empty() || text.size() > 253) {
        return false;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find(L'.', start);
        const std::wstring_view label = text.substr(
            start, dot == std::wstring_view::npos ? std::wstring_view::npos : dot - start);
        if (label.empty() || label.size() > 63 || label.front() == L'-' || label.back() == L'-') {
            return false;
        }
        for (const wchar_t c : label) {
            if (!isLetter(c) && !isDigit(c) && c != L'-') {
                return false;
            }
        }
        if (dot == std::wstring_view::npos) {
            return true;
        }
        start = dot + 1;
    }
}

bool onlyDigitsAndDots(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (!isDigit(c) && c != L'.') {
            return false;
        }
    }
    return true;
}

bool validHttpsHost(std::wstring_view host) {
    if (host.size() >= 2 && host.front() == L'[' && host.back() == L']') {
        return validIpv6(host.substr(1, host.size() - 2));
    }
    // All digits and dots is meant as an address and must be a proper one.
    if (onlyDigitsAndDots(host)) {
        return validIpv4(host);
    }
    return validHostName(host);
}

bool validHttpHost(std::wstring_view host) {
    return host == L"127.0.0.1" || host == L"localhost" || host == L"[::1]";
}

bool acceptable(std::wstring_view origin) {
    constexpr std::wstring_view kHttps = L"https://";
    constexpr std::wstring_view kHttp = L"http://";
    bool secure = false;
    std::wstring_view authority;
    if (origin.substr(0, kHttps.size()) == kHttps) {
        secure = true;
        authority = origin.substr(kHttps.size());
    } else if (origin.substr(0, kHttp.size()) == kHttp) {
        authority = origin.substr(kHttp.size());
    } else {
        return false;
    }

    std::wstring_view host = authority;
    std::wstring_view port;
    bool hasPort = false;
    if (!authority.empty() && authority.front() == L'[') {
        const std::size_t close = authority.find(L']');
        if (close == std::wstring_view::npos) {
            return false;
        }
        host = authority.substr(0, close + 1);
        const std::wstring_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != L':') {
                return false;
            }
            hasPort = true;
            port = rest.substr(1);
        }
    } else {
        const std::size_t colon = authority.find(L':');
        if (colon != std::wstring_view::npos) {
            host = authority.substr(0, colon);
            hasPort = true;
            port = authority.substr(colon + 1);
        }
    }
    if (host.empty() || (hasPort && !validPort(port))) {
        return false;
    }
    return secure ? validHttpsHost(host) : validHttpHost(host);
}

} // namespace

OriginChoice chooseOrigin(const std::wstring& override) {
    if (override.empty()) {
        return {contract::kOrigin, false};
    }
    if (acceptable(override)) {
        return {override, false};
    }
    return {contract::kOrigin, true};
}

} // namespace corvanta
