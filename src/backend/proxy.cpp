// The proxy choice. WinHTTP under Wine bypasses nothing by itself and refuses the per-scheme
// proxy form, so loopback, the bypass list and the scheme's entry are all settled here.
#include "backend/proxy.h"

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace corvanta {

namespace {

constexpr std::wstring_view kProxySeparators = L"; \t\r\n";
constexpr std::wstring_view kBypassSeparators = L";, \t\r\n";

wchar_t lowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool sameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::vector<std::wstring_view> entries(std::wstring_view list, std::wstring_view separators) {
    std::vector<std::wstring_view> out;
    std::size_t start = list.find_first_not_of(separators);
    while (start != std::wstring_view::npos) {
        const std::size_t end = list.find_first_of(separators, start);
        out.push_back(list.substr(start, end == std::wstring_view::npos ? end : end - start));
        start = end == std::wstring_view::npos ? end : list.find_first_not_of(separators, end);
    }
    return out;
}

std::wstring_view unbracketed(std::wstring_view host) {
    if (host.size() >= 2 && host.front() == L'[' && host.back() == L']') {
        return host.substr(1, host.size() - 2);
    }
    return host;
}

int hexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    c = lowerAscii(c);
    return c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
}

// Four decimal parts 0..255 without leading zeros, as the origin check admits them.
bool parseIpv4(std::wstring_view text, std::array<unsigned, 4>& out) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? text.find(L'.', start) : text.size();
        if (dot == std::wstring_view::npos) {
            return false;
        }
        const std::wstring_view part = text.substr(start, dot - start);
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == L'0')) {
            return false;
        }
        unsigned value = 0;
        for (const wchar_t c : part) {
            if (c < L'0' || c > L'9') {
                return false;
            }
            value = value * 10 + static_cast<unsigned>(c - L'0');
        }
        if (value > 255) {
            return false;
        }
        out[i] = value;
        start = dot + 1;
    }
    return true;
}

// Appends the groups of "a:b:c"; the last part of an address may be a dotted quad.
bool readGroups(std::wstring_view text, bool endsAddress, std::vector<unsigned>& out) {
    if (text.empty()) {
        return true;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(L':', start);
        const std::wstring_view piece =
            text.substr(start, colon == std::wstring_view::npos ? colon : colon - start);
        if (colon == std::wstring_view::npos && endsAddress &&
            piece.find(L'.') != std::wstring_view::npos) {
            std::array<unsigned, 4> quad{};
            if (!parseIpv4(piece, quad)) {
                return false;
            }
            out.push_back(quad[0] << 8 | quad[1]);
            out.push_back(quad[2] << 8 | quad[3]);
            return true;
        }
        if (piece.empty() || piece.size() > 4) {
            return false;
        }
        unsigned value = 0;
        for (const wchar_t c : piece) {
            const int digit = hexValue(c);
            if (digit < 0) {
                return false;
            }
            value = value * 16 + static_cast<unsigned>(digit);
        }
        out.push_back(value);
        if (colon == std::wstring_view::npos) {
            return true;
        }
        start = colon + 1;
    }
}

bool parseIpv6(std::wstring_view text, std::array<unsigned, 8>& out) {
    std::vector<unsigned> head;
    std::vector<unsigned> tail;
    const std::size_t gap = text.find(L"::");
    if (gap == std::wstring_view::npos) {
        if (!readGroups(text, true, head) || head.size() != 8) {
            return false;
        }
    } else if (text.find(L"::", gap + 1) != std::wstring_view::npos ||
               !readGroups(text.substr(0, gap), false, head) ||
               !readGroups(text.substr(gap + 2), true, tail) || head.size() + tail.size() > 7) {
        return false;
    }
    out = {};
    for (std::size_t i = 0; i < head.size(); ++i) {
        out[i] = head[i];
    }
    for (std::size_t i = 0; i < tail.size(); ++i) {
        out[8 - tail.size() + i] = tail[i];
    }
    return true;
}

bool isLoopbackHost(std::wstring_view host) {
    if (sameIgnoringCase(host, L"localhost")) {
        return true;
    }
    std::array<unsigned, 4> quad{};
    if (parseIpv4(host, quad)) {
        return quad[0] == 127;
    }
    std::array<unsigned, 8> groups{};
    if (!parseIpv6(unbracketed(host), groups)) {
        return false;
    }
    const bool zeroPrefix =
        groups[0] == 0 && groups[1] == 0 && groups[2] == 0 && groups[3] == 0 && groups[4] == 0;
    return zeroPrefix && ((groups[5] == 0 && groups[6] == 0 && groups[7] == 1) ||
                          (groups[5] == 0xFFFF && groups[6] >> 8 == 127));
}

// '*' stands for any run of characters; case does not matter. At most pattern times text steps:
// no backtracking blow-up on a hostile list.
bool globMatch(std::wstring_view pattern, std::wstring_view text) {
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t star = std::wstring_view::npos;
    std::size_t resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && lowerAscii(pattern[p]) == lowerAscii(text[t])) {
            ++p;
            ++t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') {
        ++p;
    }
    return p == pattern.size();
}

// Entries are host patterns as Windows reads them: a bare name is that host alone, "*.corp"
// its subdomains, "10.*" a text prefix; "<local>" every name without a dot.
bool bypassed(std::wstring_view list, std::wstring_view host) {
    const std::wstring_view bare = unbracketed(host);
    for (const std::wstring_view entry : entries(list, kBypassSeparators)) {
        if (sameIgnoringCase(entry, L"<local>")) {
            if (bare.find_first_of(L".:") == std::wstring_view::npos) {
                return true;
            }
        } else if (globMatch(unbracketed(entry), bare)) {
            return true;
        }
    }
    return false;
}

// "scheme=server" for this scheme wins over a plain "server"; "http://server" loses its prefix,
// which WinHTTP under Wine refuses. Servers of other protocols (socks, ...) are skipped.
std::wstring pickProxy(std::wstring_view list, std::wstring_view scheme) {
    std::wstring_view plain;
    for (const std::wstring_view entry : entries(list, kProxySeparators)) {
        std::wstring_view server = entry;
        const std::size_t equals = entry.find(L'=');
        const bool forScheme = equals != std::wstring_view::npos;
        if (forScheme) {
            if (!sameIgnoringCase(entry.substr(0, equals), scheme)) {
                continue;
            }
            server = entry.substr(equals + 1);
        }
        const std::size_t prefix = server.find(L"://");
        if (prefix != std::wstring_view::npos) {
            if (!sameIgnoringCase(server.substr(0, prefix), L"http")) {
                continue;
            }
            server = server.substr(prefix + 3);
        }
        while (!server.empty() && server.back() == L'/') {
            server.remove_suffix(1);
        }
        if (server.empty()) {
            continue;
        }
        if (forScheme) {
            return std::wstring(server);
        }
        if (plain.empty()) {
            plain = server;
        }
    }
    return std::wstring(plain);
}

} // namespace

ProxyChoice chooseProxy(std::wstring_view scheme, std::wstring_view host,
                        const ProxySettings* settings, bool automaticOffered) {
    // As Windows itself does: the development backend stays direct whatever is configured.
    if (isLoopbackHost(host)) {
        return {ProxyAccess::Direct, {}};
    }
    if (settings == nullptr) {
        return {};
    }
    if (settings->autoDetect || !settings->autoConfigUrl.empty()) {
        return {automaticOffered ? ProxyAccess::Automatic : ProxyAccess::Resolve, {}};
    }
    if (entries(settings->proxy, kProxySeparators).empty()) {
        return {};
    }
    if (bypassed(settings->bypass, host)) {
        return {ProxyAccess::Direct, {}};
    }
    std::wstring proxy = pickProxy(settings->proxy, scheme);
    if (proxy.empty()) {
        // A proxy only for other schemes: this one goes direct, as on Windows.
        return {ProxyAccess::Direct, {}};
    }
    return {ProxyAccess::Named, std::move(proxy)};
}

} // namespace corvanta
