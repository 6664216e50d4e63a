#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace nimbrook {

// A scheduled timer or task; destroying the handle cancels it.
class TaskHandle {
public:
    virtual ~TaskHandle() = default;
    // After this the action never runs (again). Safe to call more than once.
    virtual void cancel() = 0;
};

// Timers and delayed tasks on the main thread.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Runs `action` every `interval`, the first time one interval from now.
    virtual std::unique_ptr<TaskHandle> repeat(std::chrono::milliseconds interval,
                                               std::function<void()> action) = 0;
    // Runs `action` once, `delay` from now, unless cancelled first.
    virtual std::unique_ptr<TaskHandle> after(std::chrono::milliseconds delay,
                                              std::function<void()> action) = 0;
};

}  // namespace nimbrook
