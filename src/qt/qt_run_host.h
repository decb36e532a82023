// Runs a command's long job on a worker thread and carries what the job posts back
// to the user-interface thread through the event loop, in order.
#pragma once

#include <QObject>
#include <thread>

#include "app/run_host.h"

class QtRunHost final : public RunHost {
  public:
    // Posted pieces run in `context`'s thread (the window's); `context` must outlive
    // the host.
    explicit QtRunHost(QObject* context) : context_(context) {}
    ~QtRunHost() override { Wait(); }
    QtRunHost(const QtRunHost&) = delete;
    QtRunHost& operator=(const QtRunHost&) = delete;

    void Start(RunJob job) override;
    void Wait() override;

  private:
    QObject* context_;
    std::thread worker_;
};
