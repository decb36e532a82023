#include "slideshow/memory_budget.h"

#include <algorithm>
#include <chrono>

namespace {
// A stop raised from a signal handler cannot wake a condition variable: waiters look
// at it this often.
constexpr std::chrono::milliseconds kStopPollInterval{10};
}  // namespace

bool MemoryBudget::Take(uint64_t bytes, const std::atomic<bool>* stop) {
    if (bytes > total_) {
        return false;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    const uint64_t ticket = nextTicket_++;
    const auto mine = waiting_.insert(waiting_.end(), ticket);
    const auto stopped = [stop] {
        return stop != nullptr && stop->load(std::memory_order_relaxed);
    };
    while (!stopped() && !(waiting_.front() == ticket && inUse_ + bytes <= total_)) {
        changed_.wait_for(lock, kStopPollInterval);
    }
    waiting_.erase(mine);
    const bool taken = !stopped();
    if (taken) {
        inUse_ += bytes;
        peak_ = std::max(peak_, inUse_);
    }
    lock.unlock();
    // The next waiter may be served now, or may have been waiting behind this one.
    changed_.notify_all();
    return taken;
}

void MemoryBudget::Give(uint64_t bytes) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        inUse_ -= std::min(bytes, inUse_);
    }
    changed_.notify_all();
}

uint64_t MemoryBudget::PeakInUse() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return peak_;
}

size_t MemoryBudget::Waiting() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return waiting_.size();
}
