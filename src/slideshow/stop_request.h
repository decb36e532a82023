// A request to stop a run early, raised from any thread (the window closing, the
// command line's --strict or a signal) and read by the run between entries and,
// through the picture's stop flag, inside long decodes.
#pragma once

#include <atomic>

class StopRequest {
  public:
    StopRequest() = default;
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // Safe from any thread, and from a signal handler.
    void Request() { requested_.store(true, std::memory_order_relaxed); }
    bool IsRequested() const { return requested_.load(std::memory_order_relaxed); }
    // The flag itself, for Picture::SetStopFlag and the platform's interruptible wait.
    const std::atomic<bool>& Flag() const { return requested_; }

  private:
    std::atomic<bool> requested_{false};
    static_assert(std::atomic<bool>::is_always_lock_free);
};
