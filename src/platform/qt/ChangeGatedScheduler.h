#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <vector>

#include "platform/Scheduler.h"
#include "platform/qt/QtScheduler.h"

namespace nimbrook {

// A repeating task here runs only at the ticks that follow a noteChange(): a poll of something
// that says when it moved then costs nothing, not even a wake, while it stands still. The ticks
// keep the grid of a plain repeat (one interval after the task was made, and every interval
// on), so changes within one interval are still seen together, at the same moment as before.
// One-shot tasks run as on a QtScheduler.
//
// Tasks are made, cancelled and run on the thread that made the scheduler, and must not
// outlive it.
class ChangeGatedScheduler final : public Scheduler {
public:
    using Clock = std::chrono::steady_clock;

    ChangeGatedScheduler();
    ~ChangeGatedScheduler() override;
    ChangeGatedScheduler(const ChangeGatedScheduler&) = delete;
    ChangeGatedScheduler& operator=(const ChangeGatedScheduler&) = delete;

    // Any thread: each repeating task runs at its next tick (once, however many changes
    // come before it).
    void noteChange();
    std::unique_ptr<TaskHandle> repeat(std::chrono::milliseconds interval,
                                       std::function<void()> action) override;
    std::unique_ptr<TaskHandle> after(std::chrono::milliseconds delay,
                                      std::function<void()> action) override;

    // The first tick of the grid that starts at `origin` which lies after `now`.
    static Clock::time_point nextTick(Clock::time_point origin, std::chrono::milliseconds interval,
                                      Clock::time_point now);

private:
    class GatedTask;

    void armAll();

    QtScheduler oneShots_;
    // Lives on the owner's thread: what noteChange() posts runs there.
    QObject owner_;
    std::atomic<bool> posted_{false};
    std::vector<GatedTask*> tasks_;
};

}  // namespace nimbrook
