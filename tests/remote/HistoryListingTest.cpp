#include <string>
#include <utility>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "model/NamedCase.h"
#include "remote/HistoryListing.h"
#include "remote/JsonStringWriter.h"

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
    {"TrimmedAndCollapsed", " \r\n a \t\n b \n", "a b"},
    {"TerminalEscape", "x\x1b]0;title\x07y", "x ]0;title y"},
    {"C1ControlsAndUnicodeSeparators", "a\u009b1\u2028b\u3000c\u00a0", "a 1 b c"},
    {"NoSeparatorLookalikes", "\u2014\u00a9\u3001", "\u2014\u00a9\u3001"},
    {"TruncatedSequenceAtEnd", "a\xe2\x80", "a\xe2\x80"},
};
INSTANTIATE_TEST_SUITE_P(HistoryListing, OneLine, testing::ValuesIn(oneLineCases), nameOf);

// UTC with milliseconds, rounded, and clamped to four-digit years.
TEST(HistoryListing, IsoTimestamp) {
    const std::pair<double, std::string> cases[] = {
        {1700000000.1234, "2023-11-14T22:13:20.123Z"},
        {1700000000.9999, "2023-11-14T22:13:21.000Z"},
        {-0.25, "1969-12-31T23:59:59.750Z"},
        {1e300, "9999-12-31T23:59:59.999Z"},
        {-1e300, "0000-01-01T00:00:00.000Z"},
    };
    for (const auto& [seconds, iso] : cases) {
        EXPECT_EQ(HistoryListing::isoTimestamp(Timestamp::fromUnixSeconds(seconds)), iso);
    }
}

struct QuotedCase {
    std::string name;
    std::string text;
};

class Quoted : public testing::TestWithParam<QuotedCase> {};

// The listing's quoting must stay byte for byte what scripts got from the JSON library, also
// past the fast path's eight-byte steps and for text that is not UTF-8.
TEST_P(Quoted, MatchesTheJsonLibrary) {
    for (const std::string& prefix : {std::string(), std::string("0123456789abc")}) {
        const std::string text = prefix + GetParam().text;
        std::string out = "x";
        JsonStringWriter::appendQuoted(out, text);
        EXPECT_EQ(out, "x" + nlohmann::json(text).dump(-1, ' ', false,
                                                       nlohmann::json::error_handler_t::replace));
    }
}

const QuotedCase quotedCases[] = {
    {"Empty", ""},
    {"NamedAndOtherControls", "\"q\" \\ \b\f\n\r\t" + std::string("\0\x01\x1b[2J\x1f", 7)},
    {"ChineseAndEmoji", "剪贴板 \xf0\x9f\x93\x8b é \xef\xbf\xbf"},
    {"LoneContinuationOverlongSurrogate", "ab\x80yz \xc0\xaf \xe0\x80\xaf \xed\xa0\x80"},
    // Alone: after the first invalid byte the rest of a text takes another path.
    {"PastUnicode", "\xf4\x90\x80\x80 \xf5\x80"},
    {"TruncatedAtEnd", "abcdefgh\xe5\x89"},
    {"TruncatedBeforeAscii", "\xe5\x89\"x"},
};
INSTANTIATE_TEST_SUITE_P(JsonStringWriter, Quoted, testing::ValuesIn(quotedCases), nameOf);

}  // namespace
}  // namespace nimbrook
