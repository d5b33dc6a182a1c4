// Instruments for long and hostile runs of the real window: a second thread that keeps asking the
// window for an answer, and a record of every completion the window receives.
#pragma once
#include "support/main_window.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace cvtest {

// The process's committed memory (Wine keeps no peak, so Watcher samples it).
SIZE_T committedBytes();

// From another thread, keeps sending the window a message and counts those that did not come back
// within the patience (a second unless told); samples the committed memory meanwhile.
class Watcher {
  public:
    explicit Watcher(MainWindow& window, unsigned patienceMs = 1000);
    ~Watcher();
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Pumps on the GUI thread until the last message has come back, then ends the thread.
    void stop();
    long answered() const { return answered_; }
    long unanswered() const { return unanswered_; }
    SIZE_T growth() const { return peak_ - baseline_; }

  private:
    MainWindow& window_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<long> answered_{0};
    std::atomic<long> unanswered_{0};
    const SIZE_T baseline_;
    std::atomic<SIZE_T> peak_;
    std::thread thread_;
};

// One WM_CV_HTTP_DONE as the window received it.
struct Delivery {
    std::uint64_t sequence = 0;
    std::wstring request;
};

// Subclasses the main window for its lifetime and records every completion before the window
// handles it. One at a time.
class DeliveryLog {
  public:
    explicit DeliveryLog(HWND hwnd);
    ~DeliveryLog();
    DeliveryLog(const DeliveryLog&) = delete;
    DeliveryLog& operator=(const DeliveryLog&) = delete;

    const std::vector<Delivery>& deliveries() const { return deliveries_; }
    std::size_t size() const { return deliveries_.size(); }

  private:
    static LRESULT CALLBACK hook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_;
    WNDPROC original_;
    std::vector<Delivery> deliveries_;
};

} // namespace cvtest
