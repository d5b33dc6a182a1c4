// Records the GUI thread hands to a worker and takes back with the worker's completion message.
// The message only names its record: the value in it is looked up here and never read as an
// address, so a message that another program posts or sends, with any value, finds nothing.
// Pure code.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace corvanta {

// Record needs a `std::atomic<bool> handedOver`, set by finish().
template <typename Record> class Handover {
  public:
    // GUI thread: from now on a completion may name the record. Its worker keeps a reference while
    // it fills the record in, then calls finish() and posts key(); it never touches the record
    // after that. Issued once the worker runs: its message cannot be handled before this thread
    // is back in its loop, and a record whose worker never started is never kept.
    void issue(const std::shared_ptr<Record>& record) {
        issued_.emplace(key(record.get()), record);
    }
    // The worker is done with the record: from now on it belongs to the GUI thread.
    static void finish(Record& record) {
        record.handedOver.store(true, std::memory_order_release);
    }
    // GUI thread: the record a completion names, once, and only after its worker has finished
    // it (a forged value may name one still being filled in); null for every other value.
    std::shared_ptr<Record> claim(std::uintptr_t value) {
        const auto it = issued_.find(value);
        if (it == issued_.end() || !it->second->handedOver.load(std::memory_order_acquire)) {
            return nullptr;
        }
        std::shared_ptr<Record> record = std::move(it->second);
        issued_.erase(it);
        return record;
    }
    // GUI thread: its window is gone, so nothing will be claimed any more. A worker still busy
    // keeps its record until it lets go.
    void clear() { issued_.clear(); }
    std::size_t size() const { return issued_.size(); }

    static std::uintptr_t key(const Record* record) {
        return reinterpret_cast<std::uintptr_t>(record);
    }

  private:
    std::unordered_map<std::uintptr_t, std::shared_ptr<Record>> issued_;
};

} // namespace corvanta
