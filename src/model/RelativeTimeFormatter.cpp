#include "model/RelativeTimeFormatter.h"

#include <array>
#include <cmath>

#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace nimbrook {

namespace {

struct UnitStep {
    UCalendarDateFields field;
    URelativeDateTimeUnit unit;
};

constexpr std::array<UnitStep, 7> unitsLargestFirst{{
    {UCAL_YEAR, UDAT_REL_UNIT_YEAR},
    {UCAL_MONTH, UDAT_REL_UNIT_MONTH},
    {UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK},
    {UCAL_DATE, UDAT_REL_UNIT_DAY},
    {UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR},
    {UCAL_MINUTE, UDAT_REL_UNIT_MINUTE},
    {UCAL_SECOND, UDAT_REL_UNIT_SECOND},
}};

// ICU's calendars cover about ±5.8 million years; a hostile stored time far beyond that would
// make every calendar operation fail, so distances are capped well inside the range.
constexpr double maximumDistanceSeconds = 1e13;

const icu::Locale& chineseLocale() {
    static const icu::Locale locale("zh_CN");
    return locale;
}

std::unique_ptr<icu::RelativeDateTimeFormatter> makeFormatter() {
    UErrorCode status = U_ZERO_ERROR;
    auto formatter = std::make_unique<icu::RelativeDateTimeFormatter>(
        chineseLocale(), nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_FAILURE(status)) {
        return nullptr;
    }
    return formatter;
}

std::unique_ptr<const icu::Calendar> makeCalendar(icu::TimeZone* adoptedZone) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(adoptedZone, chineseLocale(), status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    return calendar;
}

}  // namespace

RelativeTimeFormatter::RelativeTimeFormatter()
    : formatter_(makeFormatter()), calendar_(makeCalendar(icu::TimeZone::createDefault())) {}

RelativeTimeFormatter::RelativeTimeFormatter(std::string_view timeZoneId)
    : formatter_(makeFormatter()),
      calendar_(makeCalendar(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(
          icu::StringPiece(timeZoneId.data(), static_cast<std::int32_t>(timeZoneId.size())))))) {}

std::string RelativeTimeFormatter::format(Timestamp moment, Timestamp now) const {
    if (!formatter_ || !calendar_) {
        return {};
    }
    double count = -0.0;  // the sign picks the past form of the zero-second phrase
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
    const double distance = now.secondsSinceReferenceDate - moment.secondsSinceReferenceDate;
    if (std::isfinite(distance) && distance >= 1) {
        const double cappedDistance = std::min(distance, maximumDistanceSeconds);
        const UDate nowMillis = now.unixSeconds() * 1000.0;
        // fieldDifference walks the calendar forward, so each unit counts what the larger
        // ones left over; the first non-zero one is the largest whole unit.
        std::unique_ptr<icu::Calendar> calendar(calendar_->clone());
        UErrorCode status = U_ZERO_ERROR;
        calendar->setTime(nowMillis - cappedDistance * 1000.0, status);
        for (const UnitStep& step : unitsLargestFirst) {
            const std::int32_t whole = calendar->fieldDifference(nowMillis, step.field, status);
            if (U_FAILURE(status)) {
                break;
            }
            if (whole >= 1) {
                count = -static_cast<double>(whole);
                unit = step.unit;
                break;
            }
        }
    }
    icu::UnicodeString phrase;
    UErrorCode status = U_ZERO_ERROR;
    formatter_->formatNumeric(count, unit, phrase, status);
    std::string result;
    phrase.toUTF8String(result);
    return result;
}

}  // namespace nimbrook
