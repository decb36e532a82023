// A run host for tests that stands in for a busy window: jobs run when the test says
// so, and what they post waits in a queue until the test runs it, as pieces wait in
// an event loop while the window is busy elsewhere.
#pragma once

#include <deque>
#include <functional>
#include <utility>

#include "app/run_host.h"

class DeferredRunHost final : public RunHost {
  public:
    void Start(RunJob job) override { jobs_.push_back(std::move(job)); }
    void Wait() override {}

    // Runs the jobs started so far; what they post is queued.
    void RunJobs() {
        while (!jobs_.empty()) {
            RunJob job = std::move(jobs_.front());
            jobs_.pop_front();
            job([this](std::function<void()> piece) { posted_.push_back(std::move(piece)); });
        }
    }
    // Runs the queued pieces in order; how many there were.
    int RunPosted() {
        int count = 0;
        while (!posted_.empty()) {
            std::function<void()> piece = std::move(posted_.front());
            posted_.pop_front();
            piece();
            ++count;
        }
        return count;
    }

  private:
    std::deque<RunJob> jobs_;
    std::deque<std::function<void()>> posted_;
};
