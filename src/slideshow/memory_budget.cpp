#include "slideshow/memory_budget.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>

namespace {

// A stop raised from a signal handler cannot wake a condition variable: waiters look
// at it this often.
constexpr std::chrono::milliseconds kStopPollInterval{10};

// Buffers from this size on are mapped for themselves and go back to the system when
// freed.
constexpr int kReturnedBufferBytes = 4 << 20;

// glibc's malloc raises its mapping threshold to the size of each mapped buffer freed
// (up to 32 MiB), and then keeps later buffers of up to that size in its per-thread
// arenas, where freed memory stays the process's: pictures fitted on two threads in
// turn held 50 MB more than the budget let them. A fixed threshold stops that.
void ReturnLargeBuffersToTheSystem() {
#if defined(__GLIBC__)
    static const bool set = mallopt(M_MMAP_THRESHOLD, kReturnedBufferBytes) != 0;
    static_cast<void>(set);
#endif
}

}  // namespace

MemoryBudget::MemoryBudget(uint64_t totalBytes) : total_(totalBytes) {
    ReturnLargeBuffersToTheSystem();
}

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
