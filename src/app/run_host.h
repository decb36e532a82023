// Where a command's long run happens. The dialog hands over a job; the job may post
// pieces of work back, and each posted piece runs on the user-interface thread, in
// the order posted. The job itself touches no dialog state and calls no dialog
// operation, so a front end may run it on a worker thread.
#pragma once

#include <functional>

using PostToInterface = std::function<void(std::function<void()>)>;
using RunJob = std::function<void(const PostToInterface& post)>;

class RunHost {
  public:
    virtual ~RunHost() = default;
    // Starts `job`; at most one job runs at a time.
    virtual void Start(RunJob job) = 0;
    // Returns once the job has ended; its posted pieces may still be on their way.
    virtual void Wait() = 0;
};

// Runs the job at once on the calling thread, and every posted piece as it is
// posted: a command then runs to its end inside its handler, as in a test or a
// front end without threads.
class InlineRunHost final : public RunHost {
  public:
    void Start(RunJob job) override {
        job([](const std::function<void()>& piece) { piece(); });
    }
    void Wait() override {}
};
