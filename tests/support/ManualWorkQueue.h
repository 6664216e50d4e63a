#pragma once

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
    void post(std::function<void()> job, std::function<void()> completion) override {
        jobs_.emplace_back(std::move(job), std::move(completion));
        if (!held_) {
            drain();
        }
    }
    void drain() override {
        // A completion that posts while the queue runs joins the running loop.
        if (running_) {
            return;
        }
        running_ = true;
        while (runNextJob() || !completions_.empty()) {
            deliver();
        }
        running_ = false;
    }

    void hold() { held_ = true; }
    // Runs what is queued, then leaves later posts to run at once.
    void release() {
        held_ = false;
        drain();
    }

    // Runs the oldest queued job; false when none is queued. Its completion waits for deliver.
    bool runNextJob() {
        if (jobs_.empty()) {
            return false;
        }
        auto [job, completion] = std::move(jobs_.front());
        jobs_.pop_front();
        job();
        completions_.push_back(std::move(completion));
        return true;
    }
    // Runs the completions of the jobs that have run, in order.
    void deliver() {
        while (!completions_.empty()) {
            const auto completion = std::move(completions_.front());
            completions_.pop_front();
            completion();
        }
    }

private:
    std::deque<std::pair<std::function<void()>, std::function<void()>>> jobs_;
    std::deque<std::function<void()>> completions_;
    bool held_ = false;
    bool running_ = false;
};

}  // namespace nimbrook
