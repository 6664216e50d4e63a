#pragma once

#include <functional>

namespace nimbrook {

// Work kept off the owner's (the panel's) thread: one queue, run in the order posted, each
// job followed by its completion back on the owner's thread, completions in the same order.
// A job must touch only what it was given (immutable snapshots, thread-safe services); a
// completion may touch the owner's state.
class WorkQueue {
public:
    virtual ~WorkQueue() = default;
    // Queues `job`; `completion` runs on the owner's thread once `job` has run.
    virtual void post(std::function<void()> job, std::function<void()> completion) = 0;
    // Waits until every job posted so far has run, then runs their completions that have
    // not run yet; on the owner's thread (an orderly end of the program).
    virtual void drain() = 0;
};

}  // namespace nimbrook
