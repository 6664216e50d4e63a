#include "support/ManualScheduler.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace nimbrook {

using std::chrono::milliseconds;

struct ManualScheduler::Entry {
    milliseconds due{0};
    // Zero for a one-shot task.
    milliseconds interval{0};
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
    clock_.runDue_ = [this](milliseconds target) { runUntil(target); };
}

ManualScheduler::~ManualScheduler() {
    clock_.runDue_ = nullptr;
}

std::unique_ptr<TaskHandle> ManualScheduler::repeat(milliseconds interval,
                                                    std::function<void()> action) {
    // A zero interval would make advance() spin forever.
    return schedule(std::max(interval, milliseconds{1}), true, std::move(action));
}

std::unique_ptr<TaskHandle> ManualScheduler::after(milliseconds delay,
                                                   std::function<void()> action) {
    return schedule(std::max(delay, milliseconds{0}), false, std::move(action));
}

std::unique_ptr<TaskHandle> ManualScheduler::schedule(milliseconds delay, bool repeating,
                                                      std::function<void()> action) {
    auto entry = std::make_shared<Entry>(Entry{.due = clock_.elapsed() + delay,
                                               .interval = repeating ? delay : milliseconds{0},
                                               .sequence = nextSequence_++,
                                               .action = std::move(action)});
    entries_.push_back(entry);
    return std::make_unique<ManualTaskHandle>(entry);
}

std::size_t ManualScheduler::pendingCount(bool repeating) const {
    return static_cast<std::size_t>(std::ranges::count_if(entries_, [repeating](const auto& entry) {
        return !entry->done && (entry->interval.count() > 0) == repeating;
    }));
}

void ManualScheduler::runUntil(milliseconds target) {
    const auto earlier = [](const auto& a, const auto& b) {
        return std::tie(a->due, a->sequence) < std::tie(b->due, b->sequence);
    };
    while (true) {
        std::erase_if(entries_, [](const auto& entry) { return entry->done; });
        const auto next = std::ranges::min_element(entries_, earlier);
        if (next == entries_.end() || (*next)->due > target) {
            return;
        }
        // The action may cancel or schedule tasks, this one included; `entry` keeps it alive.
        const std::shared_ptr<Entry> entry = *next;
        clock_.setElapsed(entry->due);
        if (entry->interval.count() > 0) {
            entry->due += entry->interval;
            // A timer that fires again keeps its place behind tasks scheduled meanwhile.
            entry->sequence = nextSequence_++;
        } else {
            entry->done = true;
        }
        entry->action();
    }
}

}  // namespace nimbrook
