#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/Scheduler.h"
#include "support/ManualClock.h"

namespace nimbrook {

// Timers and delayed tasks driven by a ManualClock: they run only inside
// ManualClock::advance, each when the clock reaches its due time. Tasks due at the same
// moment run in the order they were scheduled. Handles may outlive the scheduler.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(ManualClock& clock) : clock_(clock) {
        clock_.runDue_ = [this](std::chrono::milliseconds target) { runUntil(target); };
    }
    ~ManualScheduler() override { clock_.runDue_ = nullptr; }
    ManualScheduler(const ManualScheduler&) = delete;
    ManualScheduler& operator=(const ManualScheduler&) = delete;

    // A zero interval would make advance() spin forever.
    std::unique_ptr<TaskHandle> repeat(std::chrono::milliseconds interval,
                                       std::function<void()> action) override {
        return schedule(std::max(interval, std::chrono::milliseconds{1}), true, std::move(action));
    }
    std::unique_ptr<TaskHandle> after(std::chrono::milliseconds delay,
                                      std::function<void()> action) override {
        return schedule(std::max(delay, std::chrono::milliseconds{0}), false, std::move(action));
    }

    // Timers that are neither cancelled nor destroyed.
    std::size_t activeRepeatingCount() const { return pendingCount(true); }
    // Delayed tasks that have neither run nor been cancelled.
    std::size_t pendingDelayedCount() const { return pendingCount(false); }

private:
    struct Entry {
        std::chrono::milliseconds due;
        // Zero for a one-shot task.
        std::chrono::milliseconds interval;
        std::function<void()> action;
        bool done = false;
    };

    // Shares its entry, so a handle that outlives the scheduler still has one to mark.
    class Handle final : public TaskHandle {
    public:
        explicit Handle(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
        ~Handle() override { cancel(); }
        void cancel() override { entry_->done = true; }

    private:
        std::shared_ptr<Entry> entry_;
    };

    std::unique_ptr<TaskHandle> schedule(std::chrono::milliseconds delay, bool repeating,
                                         std::function<void()> action) {
        auto entry = std::make_shared<Entry>(Entry{clock_.elapsed() + delay,
                                                   repeating ? delay : std::chrono::milliseconds{0},
                                                   std::move(action)});
        entries_.push_back(entry);
        return std::make_unique<Handle>(entry);
    }

    std::size_t pendingCount(bool repeating) const {
        return static_cast<std::size_t>(std::ranges::count_if(entries_, [repeating](const auto& e) {
            return !e->done && (e->interval.count() > 0) == repeating;
        }));
    }

    void runUntil(std::chrono::milliseconds target) {
        while (true) {
            std::erase_if(entries_, [](const auto& entry) { return entry->done; });
            // Entries stand in the order they were scheduled: the first of the earliest goes.
            const auto next = std::ranges::min_element(
                entries_, {}, [](const auto& entry) { return entry->due; });
            if (next == entries_.end() || (*next)->due > target) {
                return;
            }
            // The action may cancel or schedule tasks, this one included; `entry` keeps it alive.
            const std::shared_ptr<Entry> entry = *next;
            clock_.elapsed_ = entry->due;
            if (entry->interval.count() > 0) {
                entry->due += entry->interval;
                // A timer that fires again keeps its place behind tasks scheduled meanwhile.
                entries_.erase(next);
                entries_.push_back(entry);
            } else {
                entry->done = true;
            }
            entry->action();
        }
    }

    ManualClock& clock_;
    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace nimbrook
