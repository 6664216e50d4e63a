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

// Escaped a slice at a time, text must read byte for byte as scripts got it from the JSON
// library, however its slices fall: past the fast path's eight-byte steps, inside characters
// of any width, and for text that is not UTF-8. Each slice keeps to its room.
TEST_P(Quoted, SlicesReadAsTheJsonLibraryQuotesTheWhole) {
    for (const std::string& prefix : {std::string(), std::string("0"), std::string("01"),
                                      std::string("012"), std::string("0123456789abc")}) {
        const std::string text = prefix + GetParam().text;
        for (const std::size_t room : {JsonStringWriter::minimumRoom, std::size_t{33},
                                       std::size_t{37}, std::size_t{100}, std::size_t{4096}}) {
            std::string out = "\"";
            for (std::string_view rest = text; !rest.empty();) {
                const std::size_t before = out.size();
                out.reserve(before + room);
                const std::size_t capacity = out.capacity();
                const std::size_t taken = JsonStringWriter::appendEscapedSlice(out, rest, room);
                ASSERT_GT(taken, 0u) << room;
                EXPECT_LE(out.size() - before, room);
                EXPECT_EQ(out.capacity(), capacity);
                rest.remove_prefix(taken);
            }
            out += '"';
            EXPECT_EQ(out, nlohmann::json(text).dump(-1, ' ', false,
                                                     nlohmann::json::error_handler_t::replace))
                << room;
            EXPECT_EQ(JsonStringWriter::escapedSize(text), out.size() - 2);
        }
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
    {"TruncatedBeforeValid", "\xe5\x89\xe5\x89\x80\xf0\x9f\x93\xf0\x9f\x93\x8b"},
    {"WideRuns", "\xf0\x9f\x93\x8b\xf0\x9f\x93\x8b\xf0\x9f\x93\x8b剪贴板剪贴板éééé\x01\x01\x01"},
};
INSTANTIATE_TEST_SUITE_P(JsonStringWriter, Quoted, testing::ValuesIn(quotedCases), nameOf);

}  // namespace
}  // namespace nimbrook
