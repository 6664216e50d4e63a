#include "platform/SystemClock.h"

#include <chrono>

namespace nimbrook {

Timestamp SystemClock::now() const {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return Timestamp::fromUnixSeconds(std::chrono::duration<double>(sinceEpoch).count());
}

}  // namespace nimbrook
