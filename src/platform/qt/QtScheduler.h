#pragma once

#include "platform/Scheduler.h"

namespace nimbrook {

// Timers and delayed tasks as QTimers of the calling (main) thread's event loop.
class QtScheduler final : public Scheduler {
public:
    // Precise timers: the poll is meant to run every half second with no leeway.
    std::unique_ptr<TaskHandle> repeat(std::chrono::milliseconds interval,
                                       std::function<void()> action) override;
    std::unique_ptr<TaskHandle> after(std::chrono::milliseconds delay,
                                      std::function<void()> action) override;
};

}  // namespace nimbrook
