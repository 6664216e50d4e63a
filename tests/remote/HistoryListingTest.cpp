#include <string>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "remote/HistoryListing.h"

namespace nimbrook {
namespace {

struct OneLineCase {
    std::string name;
    std::string text;
    std::string line;
};

class OneLine : public testing::TestWithParam<OneLineCase> {};

TEST_P(OneLine, CollapsesSeparators) {
    EXPECT_EQ(HistoryListing::oneLine(GetParam().text), GetParam().line);
}

const OneLineCase oneLineCases[] = {
    {"Plain", "剪贴板 text", "剪贴板 text"},
    {"TrimmedAndCollapsed", " \r\n a \t\n b \n", "a b"},
    {"TerminalEscape", "x\x1b]0;title\x07y", "x ]0;title y"},
    {"C1ControlsAndUnicodeSeparators",
     "a\xc2\x9b"
     "1\xe2\x80\xa8"
     "b\xe3\x80\x80"
     "c\xc2\xa0",
     "a 1 b c"},
    {"NoSeparatorLookalikes", "\xe2\x80\x94\xc2\xa9\xe3\x80\x81",
     "\xe2\x80\x94\xc2\xa9\xe3\x80\x81"},
    {"TruncatedSequenceAtEnd", "a\xe2\x80", "a\xe2\x80"},
};
INSTANTIATE_TEST_SUITE_P(HistoryListing, OneLine, testing::ValuesIn(oneLineCases), nameOf);

struct TimestampCase {
    std::string name;
    double unixSeconds;
    std::string iso;
};

class IsoTimestamp : public testing::TestWithParam<TimestampCase> {};

TEST_P(IsoTimestamp, IsUtcWithMilliseconds) {
    EXPECT_EQ(HistoryListing::isoTimestamp(Timestamp::fromUnixSeconds(GetParam().unixSeconds)),
              GetParam().iso);
}

const TimestampCase timestampCases[] = {
    {"ReferenceDate", Timestamp::referenceDateUnixSeconds, "2001-01-01T00:00:00.000Z"},
    {"Fraction", 1700000000.1234, "2023-11-14T22:13:20.123Z"},
    {"RoundsUpToTheNextSecond", 1700000000.9999, "2023-11-14T22:13:21.000Z"},
    {"Before1970", -0.25, "1969-12-31T23:59:59.750Z"},
    {"FarFutureClamped", 1e300, "9999-12-31T23:59:59.999Z"},
    {"FarPastClamped", -1e300, "0000-01-01T00:00:00.000Z"},
};
INSTANTIATE_TEST_SUITE_P(HistoryListing, IsoTimestamp, testing::ValuesIn(timestampCases), nameOf);

}  // namespace
}  // namespace nimbrook
