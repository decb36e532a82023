#include "slideshow/frame_pipeline.h"

#include <system_error>
#include <utility>

FramePipeline::FramePipeline(size_t count, FitEntry fit, int threads)
    : count_(count), fit_(std::move(fit)) {
    if (threads <= 1 || count <= 1) {
        return;
    }
    window_ = 2 * static_cast<size_t>(threads);
    for (int i = 0; i < threads; ++i) {
        try {
            workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // No more threads to be had: the ones started do the work.
            break;
        }
    }
}

FramePipeline::~FramePipeline() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    roomFree_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

void FramePipeline::Work() {
    for (;;) {
        size_t index = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            roomFree_.wait(lock, [this] {
                return stopping_ || nextToFit_ >= count_ || nextToFit_ < nextToHandOut_ + window_;
            });
            if (stopping_ || nextToFit_ >= count_) {
                return;
            }
            index = nextToFit_++;
        }
        FittedFrame frame = fit_(index);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            fitted_.emplace(index, std::move(frame));
        }
        frameReady_.notify_all();
    }
}

std::optional<FittedFrame> FramePipeline::Next() {
    if (nextToHandOut_ >= count_) {
        return std::nullopt;
    }
    if (workers_.empty()) {
        return fit_(nextToHandOut_++);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    frameReady_.wait(lock, [this] { return fitted_.count(nextToHandOut_) != 0; });
    auto found = fitted_.find(nextToHandOut_);
    FittedFrame frame = std::move(found->second);
    fitted_.erase(found);
    ++nextToHandOut_;
    lock.unlock();
    roomFree_.notify_all();
    return frame;
}
