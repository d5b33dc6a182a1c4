// The media probe: host-token request on a worker, one probe at a time.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

namespace corvanta {

extern std::atomic<bool> g_liveKitProbeRunning;

struct LiveKitUiResult {
    std::wstring text;
};

void runLiveKitProbeAsync();
// WM_CV_LIVEKIT_DONE: takes ownership of the posted record and shows it.
void handleLiveKitDone(LPARAM record);

} // namespace corvanta
