#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <unicode/calendar.h>
#include <unicode/reldatefmt.h>

#include "model/Timestamp.h"

namespace nimbrook {

// ICU relative date-time formatting, locale "zh_CN", short style, numeric: the largest
// unit (year .. second) whose whole count is at least 1; under a second the zero-second phrase.
// Years, months, weeks and days are calendar units counted in a time zone, so "1个月前" means
// the same day of the previous month, as a reader of the phrase expects.
class RelativeTimeFormatter final {
public:
    // Counts calendar units in the user's time zone.
    RelativeTimeFormatter();
    // Counts calendar units in the given ICU time zone ("UTC", "Asia/Shanghai", ...).
    explicit RelativeTimeFormatter(std::string_view timeZoneId);

    // The phrase for `moment` seen from `now`, always in the past: a moment less than a second
    // before `now`, or after it (another machine's clock, a clock set back), reads as the
    // zero-second phrase "0秒前" rather than as a promise about the future. Thread-safe.
    std::string format(Timestamp moment, Timestamp now) const;

private:
    std::unique_ptr<icu::RelativeDateTimeFormatter> formatter_;
    std::unique_ptr<const icu::Calendar> calendar_;
};

}  // namespace nimbrook
