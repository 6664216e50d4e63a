#include "support/ManualWorkQueue.h"

namespace nimbrook {

void ManualWorkQueue::post(std::function<void()> job, std::function<void()> completion) {
    jobs_.emplace_back(std::move(job), std::move(completion));
    if (!held_) {
        drain();
    }
}

void ManualWorkQueue::drain() {
    if (running_) {
        return;
    }
    running_ = true;
    while (runNextJob() || !completions_.empty()) {
        deliver();
    }
    running_ = false;
}

void ManualWorkQueue::release() {
    held_ = false;
    drain();
}

bool ManualWorkQueue::runNextJob() {
    if (jobs_.empty()) {
        return false;
    }
    auto [job, completion] = std::move(jobs_.front());
    jobs_.pop_front();
    job();
    completions_.push_back(std::move(completion));
    return true;
}

void ManualWorkQueue::deliver() {
    while (!completions_.empty()) {
        const auto completion = std::move(completions_.front());
        completions_.pop_front();
        completion();
    }
}

}  // namespace nimbrook
