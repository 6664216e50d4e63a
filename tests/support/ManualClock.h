#pragma once

#include <chrono>

#include "model/Timestamp.h"
#include "platform/Clock.h"

namespace nimbrook {

class ManualScheduler;

// A clock that moves only when the test advances it. Advancing runs the timers and tasks
// of the attached ManualScheduler that fall due, in time order, each at its own due time.
class ManualClock final : public Clock {
public:
    // 2024-12-05 12:00:00 UTC, a whole second.
    static constexpr Timestamp defaultStart = Timestamp::fromUnixSeconds(1733400000.0);

    explicit ManualClock(Timestamp start = defaultStart) : start_(start) {}

    Timestamp now() const override;
    // Time since the start.
    std::chrono::milliseconds elapsed() const { return elapsed_; }

    void advance(std::chrono::milliseconds duration);

private:
    friend class ManualScheduler;
    void attach(ManualScheduler* scheduler) { scheduler_ = scheduler; }
    void setElapsed(std::chrono::milliseconds elapsed) { elapsed_ = elapsed; }

    Timestamp start_;
    std::chrono::milliseconds elapsed_{0};
    ManualScheduler* scheduler_ = nullptr;
};

}  // namespace nimbrook
