#include "media/probe.h"

#include "backend/contract.h"
#include "backend/http.h"
#include "backend/requests.h"
#include "backend/text.h"
#include "backend/text_win.h"
#include "media/native_livekit.h"
#include "shell/app_state.h"
#include "shell/ids.h"

#include <chrono>
#include <memory>
#include <string>

namespace corvanta {

std::atomic<bool> g_liveKitProbeRunning{false};

namespace {

std::atomic<long> g_liveResults{0};
// Only the GUI thread touches it.
Handover<LiveKitUiResult> g_issued;

const wchar_t* yesNo(bool value) {
    return value ? L"ja" : L"nein";
}

struct ProbeInput {
    HWND target = nullptr; // the main window, set once at its creation
    std::wstring url;
    std::wstring path;
    std::string token;
    std::string room;
    std::shared_ptr<LiveKitUiResult> result; // made before the thread starts
};

std::wstring probeReport(const ProbeInput& input) {
    std::wstring out = L"Corvanta Native LiveKit Probe\r\n=============================\r\n\r\n";
    const HttpResult http = requestWinHttp(L"GET", input.url, "", input.token);
    out += L"Token Request: " + input.path + L"\r\n";
    out += L"HTTP Status: " + std::to_wstring(http.status) + L"\r\n\r\n";
    if (!http.error.empty()) {
        out += L"Fehler: " + widen(http.error) + L"\r\n";
        return out;
    }
    if (http.status < 200 || http.status > 299) {
        // Error answers of a token endpoint can carry secrets, and can be long: shown like
        // every report's body.
        out += L"Token Endpoint hat nicht erfolgreich geantwortet:\r\n" +
               widen(shownBody(http.body)) + L"\r\n";
        return out;
    }
    native_livekit::ConnectionDetails details;
    details.token = extractJsonString(http.body, {"token"});
    details.url = extractJsonString(http.body, {"url"});
    details.room = extractJsonString(http.body, {"room", "roomId"});
    details.identity = extractJsonString(http.body, {"identity"});
    details.publishSeconds = 120;
    if (details.room.empty()) {
        details.room = input.room;
    }
    out += L"Token: empfangen\r\n";
    out += L"LiveKit URL: " + widen(details.url) + L"\r\n";
    out += L"Room: " + widen(details.room) + L"\r\n";
    out += L"Identity: " + widen(details.identity) + L"\r\n\r\n";
    const native_livekit::ProbeResult probe = native_livekit::runSyntheticPublishProbe(details);
    out += std::wstring(L"SDK einkompiliert: ") + yesNo(probe.sdkCompiled) + L"\r\n";
    out += std::wstring(L"Verbunden: ") + yesNo(probe.connected) + L"\r\n";
    out += std::wstring(L"Audio published: ") + yesNo(probe.audioPublished) + L"\r\n";
    out += std::wstring(L"Video published: ") + yesNo(probe.videoPublished) + L"\r\n\r\n";
    out += widen(probe.message);
    return out;
}

// Releases the flag, then hands the report to the main window (freed with the last reference
// when that fails).
void finish(HWND target, std::shared_ptr<LiveKitUiResult> result) {
    g_liveKitProbeRunning.store(false);
    Handover<LiveKitUiResult>::finish(*result);
    postRecord(target, WM_CV_LIVEKIT_DONE, result.get());
}

void runProbeWorker(ProbeInput& input) noexcept {
    try {
        input.result->text = probeReport(input);
    } catch (...) {
        // Out of memory: still deliver, so the status line does not stay at "wird geholt".
        try {
            input.result->text = L"Fehler: Probe konnte nicht abgeschlossen werden.";
        } catch (...) {
        }
    }
    finish(input.target, std::move(input.result));
}

// Everything of a probe start up to the worker; `path` is set as soon as it is known.
void startProbe(std::wstring& path) {
    const std::string account = narrow(getText(g_app.editUser));
    std::string room = narrow(getText(g_app.editRoom));
    if (room.empty() || room == "room optional") {
        room = safeRoomPart(account);
    }
    if (room.empty()) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
        room = "native_win_" + std::to_string(seconds);
    }
    path = std::wstring(contract::api::kLiveKitHostToken) + L"?room=" + widen(queryEscape(room));
    if (!account.empty()) {
        path += L"&username=" + widen(queryEscape(account));
    }
    g_app.statusText = L"LiveKit Probe: Host-Token wird geholt.";
    setOutput(L"Native LiveKit Probe startet...\r\n"
              L"\r\n"
              L"1. Host-Token via /api/livekit/host-token holen\r\n"
              L"2. Mit LiveKit C++ SDK verbinden, falls einkompiliert\r\n"
              L"3. Synthetisches Audio+Video fuer 120 Sekunden publishen\r\n"
              L"\r\n"
              L"Kein WebView, kein Browser, kein app.html.");
    InvalidateRect(g_app.hwnd, nullptr, TRUE);

    auto input = std::make_shared<ProbeInput>(ProbeInput{g_app.hwnd, backendOrigin() + path, path,
                                                         g_app.token, room, nullptr});
    input->result = std::make_shared<LiveKitUiResult>();
    input->result->session = currentSession();
    const std::shared_ptr<LiveKitUiResult> result = input->result;
    startWorker([input] { runProbeWorker(*input); });
    // Without a window nobody would claim it: the worker is then its only owner.
    if (g_app.hwnd != nullptr) {
        g_issued.issue(result);
    }
}

} // namespace

LiveKitUiResult::LiveKitUiResult() {
    ++g_liveResults;
}
LiveKitUiResult::~LiveKitUiResult() {
    --g_liveResults;
}
long liveLiveKitResults() {
    return g_liveResults.load();
}

void runLiveKitProbeAsync() {
    if (g_liveKitProbeRunning.exchange(true)) {
        setOutput(L"LiveKit Probe laeuft bereits. Bitte warten.");
        return;
    }
    std::wstring path;
    try {
        startProbe(path);
    } catch (...) {
        // No worker runs, so nobody else would release the flag.
        g_liveKitProbeRunning.store(false);
        try {
            g_app.statusText = L"LiveKit Probe: Probe konnte nicht gestartet werden.";
            setOutput(L"Corvanta Native LiveKit Probe\r\n=============================\r\n\r\n"
                      L"Token Request: " +
                      path + L"\r\n\r\nFehler: Probe konnte nicht gestartet werden.");
        } catch (...) {
        }
        InvalidateRect(g_app.hwnd, nullptr, TRUE);
    }
}

void dropIssuedLiveKitResults() {
    g_issued.clear();
}

void handleLiveKitDone(LPARAM lParam) {
    const std::shared_ptr<LiveKitUiResult> result =
        g_issued.claim(static_cast<std::uintptr_t>(lParam));
    if (!result || result->session != currentSession()) {
        return; // not handed out here, or started before a logout: meant for the previous user
    }
    g_app.statusText = L"LiveKit Probe abgeschlossen.";
    setOutput(result->text);
    InvalidateRect(g_app.hwnd, nullptr, TRUE);
}

} // namespace corvanta
