// Fits the list's pictures on several threads and hands the frames out strictly in
// list order. At most two frames per thread are in flight (being fitted or waiting
// to be taken), so memory stays bounded whatever the list's length.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "slideshow/frame_fitting.h"

class FramePipeline {
  public:
    // Fits entry `index` of the list; called on a worker thread, or on the caller's.
    using FitEntry = std::function<FittedFrame(size_t index)>;

    // The `count` entries of the list, each fitted by `fit`. `threads` of 1 (or less)
    // fits each entry when it is asked for, on the caller's thread; more start that
    // many workers at once.
    FramePipeline(size_t count, FitEntry fit, int threads);
    // Stops the workers and waits for them.
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // The next entry's frame in list order, waiting for it; nothing after the last.
    std::optional<FittedFrame> Next();

  private:
    void Work();

    const size_t count_;
    const FitEntry fit_;
    size_t window_ = 0;

    std::mutex mutex_;
    std::condition_variable frameReady_;
    std::condition_variable roomFree_;
    size_t nextToFit_ = 0;
    size_t nextToHandOut_ = 0;
    std::map<size_t, FittedFrame> fitted_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};
