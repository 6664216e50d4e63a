#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Scheduler.h"
#include "support/ManualClock.h"

namespace nimbrook {

// Timers and delayed tasks driven by a ManualClock: they run only inside
// ManualClock::advance, each when the clock reaches its due time. Tasks due at the same
// moment run in the order they were scheduled. Handles may outlive the scheduler.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(ManualClock& clock);
    ~ManualScheduler() override;
    ManualScheduler(const ManualScheduler&) = delete;
    ManualScheduler& operator=(const ManualScheduler&) = delete;

    std::unique_ptr<TaskHandle> repeat(std::chrono::milliseconds interval,
                                       std::function<void()> action) override;
    std::unique_ptr<TaskHandle> after(std::chrono::milliseconds delay,
                                      std::function<void()> action) override;

    // Timers that are neither cancelled nor destroyed.
    std::size_t activeRepeatingCount() const { return pendingCount(true); }
    // Delayed tasks that have neither run nor been cancelled.
    std::size_t pendingDelayedCount() const { return pendingCount(false); }

    struct Entry;

private:
    void runUntil(std::chrono::milliseconds target);
    std::size_t pendingCount(bool repeating) const;
    std::unique_ptr<TaskHandle> schedule(std::chrono::milliseconds delay, bool repeating,
                                         std::function<void()> action);

    ManualClock& clock_;
    std::vector<std::shared_ptr<Entry>> entries_;
    std::uint64_t nextSequence_ = 0;
};

}  // namespace nimbrook
