// The seam of the native publish probe. This build carries no media SDK; a build with one links
// another implementation of runSyntheticPublishProbe in place of native_livekit.cpp.
#pragma once
#include <cstdint>
#include <string>

namespace corvanta::native_livekit {

struct ConnectionDetails {
    std::string url;
    std::string token;
    std::string room;
    std::string identity;
    std::int32_t publishSeconds = 120;
};

struct ProbeResult {
    bool sdkCompiled = false;
    bool connected = false;
    bool audioPublished = false;
    bool videoPublished = false;
    std::string message;
};

ProbeResult runSyntheticPublishProbe(const ConnectionDetails& details);

} // namespace corvanta::native_livekit
