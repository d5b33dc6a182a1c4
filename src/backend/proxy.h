// Which proxy, if any, one request goes through. Pure: the exchange reads the user's settings and
// opens its session per the choice.
#pragma once
#include <string>
#include <string_view>

namespace corvanta {

// The user's proxy configuration as Windows reports it (Settings, Internet Options).
struct ProxySettings {
    bool autoDetect = false;
    std::wstring autoConfigUrl; // setup script
    std::wstring proxy;         // "host:port", "http=host:port;https=host:port", ...
    std::wstring bypass;        // "<local>;*.corp.example;10.*"
};

enum class ProxyAccess {
    Default,   // the machine-wide WinHTTP setting
    Direct,    // no proxy
    Named,     // through `proxy`
    Automatic, // WinHTTP applies the user's configuration itself
    Resolve,   // ask WinHTTP for the script's or the detected answer, then choose again
};

struct ProxyChoice {
    ProxyAccess access = ProxyAccess::Default;
    std::wstring proxy; // Named only: one plain "host:port"
};

// scheme is "http" or "https", host as in the URL (an IPv6 literal with or without brackets).
// settings null: none could be read. automaticOffered: the system opens sessions that apply the
// user's configuration themselves. Loopback hosts always go direct, and so do hosts that the
// bypass list names: the choice is final, WinHTTP gets no bypass list.
ProxyChoice chooseProxy(std::wstring_view scheme, std::wstring_view host,
                        const ProxySettings* settings, bool automaticOffered);

} // namespace corvanta
