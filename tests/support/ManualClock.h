#pragma once

#include <chrono>
#include <functional>

#include "model/Timestamp.h"
#include "platform/Clock.h"

namespace nimbrook {

// A clock that moves only when the test advances it. Advancing runs the timers and tasks
// of the attached ManualScheduler that fall due, in time order, each at its own due time.
class ManualClock final : public Clock {
public:
    // 2024-12-05 12:00:00 UTC, a whole second.
    static constexpr Timestamp defaultStart = Timestamp::fromUnixSeconds(1733400000.0);

    explicit ManualClock(Timestamp start = defaultStart) : start_(start) {}

    Timestamp now() const override {
        return Timestamp{start_.secondsSinceReferenceDate +
                         std::chrono::duration<double>(elapsed_).count()};
    }
    std::chrono::milliseconds elapsed() const { return elapsed_; }

    void advance(std::chrono::milliseconds duration) {
        const auto target = elapsed_ + duration;
        if (runDue_) {
            runDue_(target);
        }
        elapsed_ = target;
    }

private:
    friend class ManualScheduler;

    Timestamp start_;
    std::chrono::milliseconds elapsed_{0};
    // Runs what the attached scheduler has due by the time given.
    std::function<void(std::chrono::milliseconds)> runDue_;
};

}  // namespace nimbrook
