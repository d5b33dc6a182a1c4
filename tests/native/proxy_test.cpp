#include "backend/proxy.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvanta;

namespace {

std::string shown(std::wstring_view text) {
    return std::string(text.begin(), text.end());
}

ProxySettings fixed(const wchar_t* proxy, const wchar_t* bypass = L"") {
    ProxySettings settings;
    settings.proxy = proxy;
    settings.bypass = bypass;
    return settings;
}

} // namespace

TEST(Proxy, LoopbackGoesDirectWhateverIsConfigured) {
    ProxySettings detect;
    detect.autoDetect = true;
    ProxySettings script = fixed(L"proxy.corp:8080");
    script.autoConfigUrl = L"http://wpad.corp/proxy.pac";
    ProxySettings named = fixed(L"proxy.corp:8080");
    for (const wchar_t* host :
         {L"localhost", L"LocalHost", L"127.0.0.1", L"127.255.0.9", L"127.0.0.0", L"[::1]", L"::1",
          L"[0:0:0:0:0:0:0:1]", L"[0000::0001]", L"[::ffff:127.0.0.1]", L"[::FFFF:7f00:2]"}) {
        for (const ProxySettings* settings :
             {&named, &detect, &script, static_cast<ProxySettings*>(nullptr)}) {
            const ProxyChoice choice = chooseProxy(L"https", host, settings, true);
            EXPECT_EQ(choice.access, ProxyAccess::Direct) << shown(host);
            EXPECT_EQ(choice.proxy, L"") << shown(host);
        }
    }
    // Look-alikes are ordinary hosts.
    for (const wchar_t* host :
         {L"localhost.corp.example", L"127.0.0.1.nip.io", L"128.0.0.1", L"1127.0.0.1", L"127.0.0",
          L"127.0.0.01", L"[::2]", L"[::1:1]", L"[1::1]", L"[::ffff:10.0.0.1]", L"[::1::]",
          L"[:::1]", L"backend.test"}) {
        EXPECT_EQ(chooseProxy(L"https", host, &named, true).access, ProxyAccess::Named)
            << shown(host);
    }
}

TEST(Proxy, WhatTheUserConfiguredDecidesTheAccess) {
    ProxySettings detect;
    detect.autoDetect = true;
    ProxySettings script;
    script.autoConfigUrl = L"http://wpad.corp/proxy.pac";
    ProxySettings scriptAndFixed = fixed(L"proxy.corp:8080", L"<local>");
    scriptAndFixed.autoConfigUrl = L"http://wpad.corp/proxy.pac";
    const ProxySettings nothing;
    const ProxySettings blank = fixed(L" ; ", L"<local>");
    const ProxySettings named = fixed(L"proxy.corp:8080");
    const struct {
        const char* name;
        const ProxySettings* settings;
        bool automaticOffered;
        ProxyAccess access;
        std::wstring proxy;
    } cases[] = {
        {"unreadable", nullptr, true, ProxyAccess::Default, L""},
        {"nothing set", &nothing, true, ProxyAccess::Default, L""},
        {"blank proxy", &blank, true, ProxyAccess::Default, L""},
        {"detection, 8.1+", &detect, true, ProxyAccess::Automatic, L""},
        {"detection, older", &detect, false, ProxyAccess::Resolve, L""},
        {"script, 8.1+", &script, true, ProxyAccess::Automatic, L""},
        {"script, older", &script, false, ProxyAccess::Resolve, L""},
        {"script before fixed", &scriptAndFixed, false, ProxyAccess::Resolve, L""},
        {"fixed", &named, true, ProxyAccess::Named, L"proxy.corp:8080"},
        {"fixed, older", &named, false, ProxyAccess::Named, L"proxy.corp:8080"},
    };
    for (const auto& c : cases) {
        const ProxyChoice choice =
            chooseProxy(L"https", L"corvanta.app", c.settings, c.automaticOffered);
        EXPECT_EQ(choice.access, c.access) << c.name;
        EXPECT_EQ(choice.proxy, c.proxy) << c.name;
    }
}

// WinHTTP under Wine takes only a plain "host:port" in a named session.
TEST(Proxy, TheSchemesEntryBecomesOnePlainServer) {
    const struct {
        const wchar_t* proxy;
        const wchar_t* scheme;
        const wchar_t* expected; // empty: direct
    } cases[] = {
        {L"proxy.corp:8080", L"https", L"proxy.corp:8080"},
        {L"http=a:1;https=b:2", L"https", L"b:2"},
        {L"http=a:1;https=b:2", L"http", L"a:1"},
        {L"HTTPS=b:2  http=a:1", L"https", L"b:2"},
        {L"a:1;https=b:2", L"https", L"b:2"},
        {L"a:1;https=b:2", L"http", L"a:1"},
        {L"a:1;b:2", L"https", L"a:1"},
        {L"http=a:1", L"https", L""},
        {L"ftp=f:21;socks=s:1080", L"https", L""},
        {L"socks=s:1080;a:1", L"https", L"a:1"},
        {L"http://a:3128/", L"https", L"a:3128"},
        {L"https=HTTP://b:2", L"https", L"b:2"},
        {L"https=socks://s:1;a:1", L"https", L"a:1"},
        {L"https=;a:1", L"https", L"a:1"},
        {L"[2001:db8::5]:8080", L"https", L"[2001:db8::5]:8080"},
    };
    for (const auto& c : cases) {
        const ProxySettings settings = fixed(c.proxy);
        const ProxyChoice choice = chooseProxy(c.scheme, L"corvanta.app", &settings, true);
        const std::wstring expected = c.expected;
        EXPECT_EQ(choice.access, expected.empty() ? ProxyAccess::Direct : ProxyAccess::Named)
            << shown(c.proxy) << " " << shown(c.scheme);
        EXPECT_EQ(choice.proxy, expected) << shown(c.proxy) << " " << shown(c.scheme);
    }
}

TEST(Proxy, TheBypassListIsMatchedHere) {
    const struct {
        const wchar_t* bypass;
        const wchar_t* host;
        bool direct;
    } cases[] = {
        {L"", L"corvanta.app", false},
        {L"<local>", L"intranet", true},
        {L"<LOCAL>", L"intranet", true},
        {L"<local>", L"intranet.corp", false},
        {L"<local>", L"[2001:db8::1]", false},
        {L"backend.test", L"backend.test", true},
        {L"Backend.Test", L"BACKEND.test", true},
        {L"backend.test", L"api.backend.test", false},
        {L"backend.test", L"backend.test.evil", false},
        {L"*.corp.example", L"a.b.corp.example", true},
        {L"*.corp.example", L"corp.example", false},
        {L"*.corp.example", L"evilcorp.example", false},
        {L"10.*", L"10.1.2.3", true},
        {L"10.*", L"110.1.2.3", false},
        {L"*corp*", L"mycorpsite.example", true},
        {L"a*b*c", L"axxbyyc", true},
        {L"a*b*c", L"axxbyy", false},
        {L"*", L"anything.example", true},
        {L" foo ; *.corp.example ,bar\t", L"x.corp.example", true},
        {L"foo;;bar", L"foobar", false},
        {L"[2001:db8::1]", L"[2001:db8::1]", true},
        {L"2001:db8::1", L"[2001:DB8::1]", true},
        {L"*.test;<local>", L"backend.test", true},
    };
    for (const auto& c : cases) {
        const ProxySettings settings = fixed(L"proxy.corp:8080", c.bypass);
        const ProxyChoice choice = chooseProxy(L"https", c.host, &settings, true);
        EXPECT_EQ(choice.access, c.direct ? ProxyAccess::Direct : ProxyAccess::Named)
            << shown(c.bypass) << " / " << shown(c.host);
    }
    // A pattern built to backtrack still ends, with the right answer.
    std::wstring pattern;
    for (int i = 0; i < 200; ++i) {
        pattern += L"*a";
    }
    const ProxySettings hostile = fixed(L"p:1", (pattern + L"b").c_str());
    EXPECT_EQ(chooseProxy(L"https", std::wstring(250, L'a'), &hostile, true).access,
              ProxyAccess::Named);
}
