#pragma once

#include "model/Timestamp.h"

namespace nimbrook {

// The wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Timestamp now() const = 0;
};

}  // namespace nimbrook
