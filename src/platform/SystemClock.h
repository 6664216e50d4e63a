#pragma once

#include "platform/Clock.h"

namespace nimbrook {

// The real wall clock.
class SystemClock final : public Clock {
public:
    // The current time of the system clock (it may jump when the user sets the clock).
    Timestamp now() const override;
};

}  // namespace nimbrook
