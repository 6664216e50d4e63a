#include "platform/qt/ChangeGatedScheduler.h"

#include <QTimer>
#include <algorithm>

namespace nimbrook {

class ChangeGatedScheduler::GatedTask final : public TaskHandle {
public:
    GatedTask(ChangeGatedScheduler& scheduler, std::chrono::milliseconds interval,
              std::function<void()> action)
        : scheduler_(scheduler), interval_(interval), origin_(Clock::now()) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [action = std::move(action)] {
            // The action may destroy this task, so it runs from a copy.
            const auto run = action;
            run();
        });
        scheduler_.tasks_.push_back(this);
    }

    ~GatedTask() override { cancel(); }

    void cancel() override {
        timer_.stop();
        std::erase(scheduler_.tasks_, this);
    }

    void arm() {
        if (timer_.isActive()) {
            return;
        }
        const auto now = Clock::now();
        timer_.start(std::chrono::ceil<std::chrono::milliseconds>(
            ChangeGatedScheduler::nextTick(origin_, interval_, now) - now));
    }

private:
    ChangeGatedScheduler& scheduler_;
    std::chrono::milliseconds interval_;
    Clock::time_point origin_;
    QTimer timer_;
};

ChangeGatedScheduler::ChangeGatedScheduler() = default;

ChangeGatedScheduler::~ChangeGatedScheduler() = default;

void ChangeGatedScheduler::noteChange() {
    // One wake of the owner's thread for a burst of changes; the flag drops before the tasks
    // are armed, so a change noted meanwhile is never lost.
    if (!posted_.exchange(true)) {
        QMetaObject::invokeMethod(
            &owner_,
            [this] {
                posted_ = false;
                armAll();
            },
            Qt::QueuedConnection);
    }
}

void ChangeGatedScheduler::armAll() {
    // Arming starts timers only; no task runs, and none is made or cancelled, meanwhile.
    for (GatedTask* task : tasks_) {
        task->arm();
    }
}

std::unique_ptr<TaskHandle> ChangeGatedScheduler::repeat(std::chrono::milliseconds interval,
                                                         std::function<void()> action) {
    return std::make_unique<GatedTask>(*this, interval, std::move(action));
}

std::unique_ptr<TaskHandle> ChangeGatedScheduler::after(std::chrono::milliseconds delay,
                                                        std::function<void()> action) {
    return oneShots_.after(delay, std::move(action));
}

ChangeGatedScheduler::Clock::time_point ChangeGatedScheduler::nextTick(
    Clock::time_point origin, std::chrono::milliseconds interval, Clock::time_point now) {
    // A grid of no width would be a division by zero; its ticks come as fast as timers go.
    interval = std::max(interval, std::chrono::milliseconds(1));
    if (now < origin) {
        return origin + interval;
    }
    return origin + (((now - origin) / interval) + 1) * interval;
}

}  // namespace nimbrook
