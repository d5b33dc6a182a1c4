// The media probe: host-token request on a worker, one probe at a time.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace corvanta {

extern std::atomic<bool> g_liveKitProbeRunning;

// The probe report whose address WM_CV_LIVEKIT_DONE names; live records are counted for tests.
struct LiveKitUiResult {
    std::wstring text;
    std::uint64_t session = 0; // the sign-in session the probe was started in
    std::atomic<bool> handedOver{false};
    LiveKitUiResult();
    ~LiveKitUiResult();
    LiveKitUiResult(const LiveKitUiResult&) = delete;
    LiveKitUiResult& operator=(const LiveKitUiResult&) = delete;
};
long liveLiveKitResults();

void runLiveKitProbeAsync();
// WM_CV_LIVEKIT_DONE: shows the report the message names, if this thread handed it out.
void handleLiveKitDone(LPARAM record);
// The main window is gone: reports still out are freed once their workers let go.
void dropIssuedLiveKitResults();

} // namespace corvanta
