#include "support/ManualScheduler.h"

#include <algorithm>
#include <utility>

namespace nimbrook {

struct ManualScheduler::Entry {
    std::chrono::milliseconds due{0};
    // Zero for a one-shot task.
    std::chrono::milliseconds interval{0};
    std::uint64_t sequence = 0;
    std::function<void()> action;
    bool done = false;
};

namespace {

// Holds its entry weakly, so a handle that outlives the scheduler cancels nothing.
class ManualTaskHandle final : public TaskHandle {
public:
    explicit ManualTaskHandle(std::weak_ptr<ManualScheduler::Entry> entry)
        : entry_(std::move(entry)) {}
    ~ManualTaskHandle() override { cancel(); }

    void cancel() override {
        if (const auto entry = entry_.lock()) {
            entry->done = true;
        }
    }

private:
    std::weak_ptr<ManualScheduler::Entry> entry_;
};

}  // namespace

ManualScheduler::ManualScheduler(ManualClock& clock) : clock_(clock) {
    clock_.attach(this);
}

ManualScheduler::~ManualScheduler() {
    clock_.attach(nullptr);
}

std::unique_ptr<TaskHandle> ManualScheduler::repeat(std::chrono::milliseconds interval,
                                                    std::function<void()> action) {
    // A zero interval would make advance() spin forever.
    const auto period = std::max(interval, std::chrono::milliseconds{1});
    return schedule(clock_.elapsed() + period, period, std::move(action));
}

std::unique_ptr<TaskHandle> ManualScheduler::after(std::chrono::milliseconds delay,
                                                   std::function<void()> action) {
    return schedule(clock_.elapsed() + std::max(delay, std::chrono::milliseconds{0}),
                    std::chrono::milliseconds{0}, std::move(action));
}

std::unique_ptr<TaskHandle> ManualScheduler::schedule(std::chrono::milliseconds firstDue,
                                                      std::chrono::milliseconds interval,
                                                      std::function<void()> action) {
    auto entry = std::make_shared<Entry>();
    entry->due = firstDue;
    entry->interval = interval;
    entry->sequence = nextSequence_++;
    entry->action = std::move(action);
    entries_.push_back(entry);
    return std::make_unique<ManualTaskHandle>(entry);
}

std::size_t ManualScheduler::activeRepeatingCount() const {
    return static_cast<std::size_t>(std::ranges::count_if(
        entries_, [](const auto& entry) { return !entry->done && entry->interval.count() > 0; }));
}

std::size_t ManualScheduler::pendingDelayedCount() const {
    return static_cast<std::size_t>(std::ranges::count_if(
        entries_, [](const auto& entry) { return !entry->done && entry->interval.count() == 0; }));
}

std::shared_ptr<ManualScheduler::Entry> ManualScheduler::nextDueBy(
    std::chrono::milliseconds target) const {
    std::shared_ptr<Entry> next;
    for (const auto& entry : entries_) {
        if (entry->done || entry->due > target) {
            continue;
        }
        if (!next || entry->due < next->due ||
            (entry->due == next->due && entry->sequence < next->sequence)) {
            next = entry;
        }
    }
    return next;
}

void ManualScheduler::runUntil(std::chrono::milliseconds target) {
    while (const auto entry = nextDueBy(target)) {
        clock_.setElapsed(entry->due);
        if (entry->interval.count() > 0) {
            entry->due += entry->interval;
            // A timer that fires again keeps its place behind tasks scheduled meanwhile.
            entry->sequence = nextSequence_++;
        } else {
            entry->done = true;
        }
        // The action may cancel or schedule tasks, this one included; `entry` keeps it alive.
        auto action = entry->action;
        action();
        std::erase_if(entries_, [](const auto& each) { return each->done; });
    }
}

}  // namespace nimbrook
