#include "support/ManualClock.h"

#include "support/ManualScheduler.h"

namespace nimbrook {

Timestamp ManualClock::now() const {
    return Timestamp{start_.secondsSinceReferenceDate +
                     std::chrono::duration<double>(elapsed_).count()};
}

void ManualClock::advance(std::chrono::milliseconds duration) {
    const auto target = elapsed_ + duration;
    if (scheduler_ != nullptr) {
        scheduler_->runUntil(target);
    }
    elapsed_ = target;
}

}  // namespace nimbrook
