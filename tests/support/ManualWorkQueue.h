#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <utility>

#include "platform/WorkQueue.h"

namespace nimbrook {

// The worker queue on the test's own thread. Unheld, a post runs the job and its completion
// at once (after any queued before it); held, jobs wait for runNextJob and their completions
// for deliver, so a test can stop the worker between any two steps.
class ManualWorkQueue final : public WorkQueue {
public:
    void post(std::function<void()> job, std::function<void()> completion) override;
    void drain() override;

    void hold() { held_ = true; }
    // Runs what is queued, then leaves later posts to run at once.
    void release();

    // Runs the oldest queued job; false when none is queued. Its completion waits for deliver.
    bool runNextJob();
    // Runs the completions of the jobs that have run, in order.
    void deliver();
    std::size_t queuedJobs() const { return jobs_.size(); }

private:
    std::deque<std::pair<std::function<void()>, std::function<void()>>> jobs_;
    std::deque<std::function<void()>> completions_;
    bool held_ = false;
    // A completion that posts while the queue runs joins the running loop.
    bool running_ = false;
};

}  // namespace nimbrook
