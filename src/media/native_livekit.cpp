#include "media/native_livekit.h"

namespace corvanta::native_livekit {

ProbeResult runSyntheticPublishProbe(const ConnectionDetails& details) {
    ProbeResult result;
    result.message =
        "Host-Token wurde geholt, aber diese EXE ist ohne LiveKit C++ SDK gebaut. Fuer echtes "
        "natives Audio/Video mit MSVC bauen und -DCORVANTA_ENABLE_LIVEKIT=ON "
        "-DCORVANTA_LIVEKIT_SDK_DIR=<sdk> setzen. Room=" +
        details.room + ", Identity=" + details.identity + ".";
    return result;
}

} // namespace corvanta::native_livekit
