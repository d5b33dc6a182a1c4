// The media probe: host-token request on a worker, one probe at a time.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace corvanta {

extern std::atomic<bool> g_liveKitProbeRunning;

// The probe report posted with WM_CV_LIVEKIT_DONE; live records are counted for tests.
struct LiveKitUiResult {
    std::wstring text;
    std::uint64_t session = 0; // the sign-in session the probe was started in
    LiveKitUiResult();
    ~LiveKitUiResult();
    LiveKitUiResult(const LiveKitUiResult&) = delete;
    LiveKitUiResult& operator=(const LiveKitUiResult&) = delete;
};
long liveLiveKitResults();

void runLiveKitProbeAsync();
// WM_CV_LIVEKIT_DONE: takes ownership of the posted record and shows it.
void handleLiveKitDone(LPARAM record);

} // namespace corvanta
