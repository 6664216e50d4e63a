#pragma once

#include <compare>

namespace nimbrook {

// A moment as seconds since 2001-01-01 00:00:00 UTC, the reference date of the
// history file; kept as the double the file holds so it reads back unchanged.
struct Timestamp final {
    // 2001-01-01 00:00:00 UTC in seconds since 1970-01-01 00:00:00 UTC.
    static constexpr double referenceDateUnixSeconds = 978307200.0;

    double secondsSinceReferenceDate = 0;

    static constexpr Timestamp fromUnixSeconds(double unixSeconds) {
        return Timestamp{unixSeconds - referenceDateUnixSeconds};
    }
    constexpr double unixSeconds() const {
        return secondsSinceReferenceDate + referenceDateUnixSeconds;
    }

    auto operator<=>(const Timestamp&) const = default;
};

}  // namespace nimbrook
