// The memory a build lets the pictures it fits take at once, shared by its threads.
// A picture takes its share before it is decoded and gives it back when its frame is
// done; a thread whose picture does not fit beside the others waits. Waiters are
// served in the order they came, so a large picture is not passed over for ever.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>

class MemoryBudget {
  public:
    // Also makes the process give large buffers back to the system when they are
    // freed, so that memory the budget no longer counts is no longer held.
    explicit MemoryBudget(uint64_t totalBytes);
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    uint64_t Total() const { return total_; }

    // Takes `bytes` once they are free and every earlier waiter has been served. False,
    // taking nothing, for more than the whole budget, or when `stop` (may be null) is
    // raised while it waits; a stop is seen within a hundredth of a second.
    bool Take(uint64_t bytes, const std::atomic<bool>* stop);
    // Gives back what Take took.
    void Give(uint64_t bytes);

    // The most that was ever taken at once, and the takers waiting now.
    uint64_t PeakInUse() const;
    size_t Waiting() const;

  private:
    const uint64_t total_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t inUse_ = 0;
    uint64_t peak_ = 0;
    uint64_t nextTicket_ = 0;
    std::list<uint64_t> waiting_;  // tickets in the order they came
};
