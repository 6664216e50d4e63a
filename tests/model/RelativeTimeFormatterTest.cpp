#include <chrono>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/ClipboardItem.h"
#include "model/RelativeTimeFormatter.h"

namespace nimbrook {
namespace {

// Noon UTC on the day.
Timestamp utc(int year, int month, int dayOfMonth) {
    const std::chrono::sys_days date{std::chrono::year{year} / month / dayOfMonth};
    const std::chrono::duration<double> noon = (date + std::chrono::hours(12)).time_since_epoch();
    return Timestamp::fromUnixSeconds(noon.count());
}

Timestamp before(Timestamp moment, double seconds) {
    return Timestamp{moment.secondsSinceReferenceDate - seconds};
}

const Timestamp now = utc(2024, 3, 15);
constexpr double minute = 60;
constexpr double hour = 60 * minute;
constexpr double day = 24 * hour;

struct PhraseCase {
    std::string name;
    Timestamp moment;
    Timestamp now;
    std::string phrase;
};

const PhraseCase phraseCases[] = {
    {"secondsRoundDown", before(now, 59.9), now, "59秒前"},
    {"oneMinute", before(now, minute), now, "1分钟前"},
    {"hoursRoundDown", before(now, 23 * hour + 59 * minute), now, "23小时前"},
    {"sixDays", before(now, 7 * day - 1), now, "6天前"},
    {"oneWeek", before(now, 7 * day), now, "1周前"},
    {"fourWeeksInShortMonth", utc(2024, 2, 15), utc(2024, 3, 14), "4周前"},
    {"oneCalendarMonth", utc(2024, 2, 15), now, "1个月前"},
    {"monthFromLastDay", utc(2024, 1, 31), utc(2024, 3, 1), "1个月前"},
    {"oneYear", utc(2023, 3, 15), now, "1年前"},
    {"futureReadsAsNow", Timestamp{now.secondsSinceReferenceDate + 30}, now, "0秒前"},
    {"notANumber", Timestamp{std::nan("")}, now, "0秒前"},
};

class PhraseTest : public testing::TestWithParam<PhraseCase> {};

TEST_P(PhraseTest, largestWholeUnitInThePast) {
    const RelativeTimeFormatter formatter("UTC");
    EXPECT_EQ(formatter.format(GetParam().moment, GetParam().now), GetParam().phrase);
}

INSTANTIATE_TEST_SUITE_P(Cases, PhraseTest, testing::ValuesIn(phraseCases), nameOf);

TEST(RelativeTimeFormatterTest, absurdlyOldMomentStillReadsInYears) {
    const std::string phrase = RelativeTimeFormatter("UTC").format(Timestamp{-1e300}, now);
    EXPECT_TRUE(phrase.ends_with("年前")) << phrase;
}

TEST(RelativeTimeFormatterTest, sharedFormatterUsesTheUsersZone) {
    EXPECT_EQ(ClipboardItem::relativeFormatter().format(before(now, 3 * minute), now), "3分钟前");
}

}  // namespace
}  // namespace nimbrook
