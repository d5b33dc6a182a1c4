// The backend origin: the compiled-in one, or a validated override from CORVANTA_ORIGIN. Pure.
#pragma once
#include <string>

namespace corvanta {

struct OriginChoice {
    std::wstring origin;   // the origin every request goes to
    bool rejected = false; // an override was given but is not acceptable
};

// Empty: the default origin. https://HOST[:PORT], or http:// with HOST 127.0.0.1, localhost or
// [::1]: that origin. Anything else: the default origin, rejected.
OriginChoice chooseOrigin(const std::wstring& override);

} // namespace corvanta
