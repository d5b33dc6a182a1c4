#include "watch.h"

#include "backend/requests.h"
#include "shell/ids.h"

#include <psapi.h>

#include <algorithm>

namespace cvtest {

SIZE_T committedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

Watcher::Watcher(MainWindow& window, unsigned patienceMs)
    : window_(window), baseline_(committedBytes()), peak_(baseline_) {
    thread_ = std::thread([this, hwnd = window.hwnd(), patienceMs] {
        while (!stop_) {
            DWORD_PTR ignored = 0;
            if (SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, patienceMs, &ignored) != 0) {
                ++answered_;
            } else {
                ++unanswered_;
            }
            peak_ = std::max<SIZE_T>(peak_, committedBytes());
            Sleep(10);
        }
        finished_ = true;
    });
}

Watcher::~Watcher() {
    stop();
}

void Watcher::stop() {
    stop_ = true;
    window_.pumpUntil([this] { return finished_.load(); });
    if (thread_.joinable()) {
        thread_.join();
    }
}

namespace {
DeliveryLog* g_log = nullptr;
}

DeliveryLog::DeliveryLog(HWND hwnd) : hwnd_(hwnd) {
    g_log = this;
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DeliveryLog::hook)));
}

DeliveryLog::~DeliveryLog() {
    if (IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    }
    g_log = nullptr;
}

LRESULT CALLBACK DeliveryLog::hook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == corvanta::WM_CV_HTTP_DONE && lParam != 0) {
        const auto* record = reinterpret_cast<const corvanta::HttpCompletion*>(lParam);
        g_log->deliveries_.push_back({record->sequence, record->result.request});
    }
    return CallWindowProcW(g_log->original_, hwnd, msg, wParam, lParam);
}

} // namespace cvtest
