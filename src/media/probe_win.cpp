// Placeholder until the probe lands.
#include "media/probe.h"

namespace corvanta {
std::atomic<bool> g_liveKitProbeRunning{false};
void runLiveKitProbeAsync() {}
void handleLiveKitDone(LPARAM) {}
} // namespace corvanta
