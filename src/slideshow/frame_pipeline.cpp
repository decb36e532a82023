#include "slideshow/frame_pipeline.h"

#include <system_error>
#include <utility>

FramePipeline::FramePipeline(const std::vector<std::string>& picturePaths,
                             const BuildSettings& settings, const FitOptions& options, int threads)
    : paths_(picturePaths), settings_(settings), options_(options) {
    if (threads <= 1 || picturePaths.size() <= 1) {
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
                return stopping_ || nextToFit_ >= paths_.size() ||
                       nextToFit_ < nextToHandOut_ + window_;
            });
            if (stopping_ || nextToFit_ >= paths_.size()) {
                return;
            }
            index = nextToFit_++;
        }
        FittedFrame frame = FitPictureToFrame(paths_[index], settings_, options_);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            fitted_.emplace(index, std::move(frame));
        }
        frameReady_.notify_all();
    }
}

std::optional<FittedFrame> FramePipeline::Next() {
    if (nextToHandOut_ >= paths_.size()) {
        return std::nullopt;
    }
    if (workers_.empty()) {
        return FitPictureToFrame(paths_[nextToHandOut_++], settings_, options_);
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
