// Runs short jobs one after another on a worker thread of their own, where only the
// latest job matters: a job started while another still waits replaces it, so a
// burst of clicks or arrow keys costs one picture, not one per press. What a job
// posts runs on the user-interface thread through the event loop, in order.
#pragma once

#include <QObject>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/run_host.h"

class QtLatestJobHost final : public RunHost {
  public:
    // Posted pieces run in `context`'s thread (the window's); `context` must outlive
    // the host.
    explicit QtLatestJobHost(QObject* context);
    ~QtLatestJobHost() override;
    QtLatestJobHost(const QtLatestJobHost&) = delete;
    QtLatestJobHost& operator=(const QtLatestJobHost&) = delete;

    // Queues `job`, dropping a job that waits and has not started.
    void Start(RunJob job) override;
    // Returns once no job waits or runs.
    void Wait() override;

  private:
    void Work();

    QObject* context_;
    std::mutex mutex_;
    std::condition_variable changed_;
    RunJob waiting_;
    bool busy_ = false;
    bool quitting_ = false;
    std::thread worker_;
};
