#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/JsonText.h"

namespace nimbrook {
namespace {

template <typename Case>
std::string nameOf(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

struct ParseCase {
    std::string name;
    std::string text;
    bool accepted = false;
};

const std::vector<ParseCase> parseCases = {
    {"EmptyObject", "{}", true},
    {"EmptyArray", "[]", true},
    {"WhitespaceAround", " \n\t[1] \r\n", true},
    {"EscapedSurrogatePair", R"(["\ud83d\ude00"])", true},
    {"DeepButWithinLimit", nested(512), true},
    {"BareNumber", "42", false},
    {"BareString", R"("text")", false},
    {"BareLiteral", "null", false},
    {"Empty", "", false},
    {"OnlyWhitespace", "  \n", false},
    {"TrailingComma", "[1,]", false},
    {"UnquotedKey", "{a:1}", false},
    {"SingleQuotes", "['a']", false},
    {"TextAfterValue", "[1] x", false},
    {"TwoValues", "[1][2]", false},
    {"LeadingZero", "[01]", false},
    {"NotANumber", "[NaN]", false},
    {"BareFraction", "[1.]", false},
    {"NumberTooLarge", "[1e400]", false},
    {"UnknownEscape", R"(["\x"])", false},
    {"RawTabInString", "[\"a\tb\"]", false},
    {"LoneSurrogateEscape", R"(["\ud800"])", false},
    {"Comment", "// c\n[]", false},
    {"ByteOrderMark", "\xEF\xBB\xBF[]", false},
    {"NoBreakSpaceAround", "\u00A0[]", false},
    {"InvalidUtf8InString", "[\"\xFF\"]", false},
    {"EmbeddedNul", std::string("[1]\0", 4), false},
    {"Unclosed", "[1, 2", false},
    {"TooDeep", nested(513), false},
    {"TenMegabytesOfBrackets", std::string(10'000'000, '['), false},
    {"BracketsInsideStringsDoNotCount", "[\"" + std::string(1000, '[') + "\"]", true},
};

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, acceptsOnlyStrictObjectsAndArrays) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(JsonText::parse(c.text).has_value(), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(JsonText, ParseTest, testing::ValuesIn(parseCases), nameOf<ParseCase>);

struct WriteCase {
    std::string name;
    std::string input;
    std::string pretty;
    std::string compact;
};

const std::vector<WriteCase> writeCases = {
    {"SortedMembersOnePerLine", R"({"b":1,"a":[true,false,null],"c":{},"d":[]})",
     "{\n  \"a\" : [\n    true,\n    false,\n    null\n  ],\n  \"b\" : 1,\n  \"c\" : {},\n"
     "  \"d\" : []\n}",
     R"({"a":[true,false,null],"b":1,"c":{},"d":[]})"},
    {"NestedIndentation", R"([{"k":[1]}])", "[\n  {\n    \"k\" : [\n      1\n    ]\n  }\n]",
     R"([{"k":[1]}])"},
    {"SlashesEscaped", R"({"a/b":"https://x.cn/p"})",
     "{\n  \"a\\/b\" : \"https:\\/\\/x.cn\\/p\"\n}", R"({"a\/b":"https:\/\/x.cn\/p"})"},
    {"ControlCharacters", R"(["\"\\\b\f\n\r\t\u0001\u001f\u007f"])",
     "[\n  \"\\\"\\\\\\b\\f\\n\\r\\t\\u0001\\u001f\x7f\"\n]",
     "[\"\\\"\\\\\\b\\f\\n\\r\\t\\u0001\\u001f\x7f\"]"},
    {"NonAsciiAsUtf8", R"(["\u00e9中😀\u2028"])", "[\n  \"é中😀\u2028\"\n]", "[\"é中😀\u2028\"]"},
    // UTF-16 puts U+1F600 (D83D DE00) before U+FF5E; the bytes of UTF-8 order them the other way.
    {"KeysByUtf16CodeUnits", R"({"～":1,"😀":2,"ê":7,"é":3,"a":4,"B":5,"ab":6})",
     "{\n  \"B\" : 5,\n  \"a\" : 4,\n  \"ab\" : 6,\n  \"é\" : 3,\n  \"ê\" : 7,\n"
     "  \"😀\" : 2,\n  \"～\" : 1\n}",
     R"({"B":5,"a":4,"ab":6,"é":3,"ê":7,"～":1,"😀":2})"},
    {"Numbers",
     "[1.0,1e2,-0,-0.0,0.1,1.5e300,1E-7,786000000.123456,12345678901234567890,"
     "-9223372036854775808,9007199254740993,18446744073709551616]",
     "[\n  1,\n  100,\n  0,\n  0,\n  0.1,\n  1.5e+300,\n  1e-07,\n  786000000.123456,\n"
     "  12345678901234567890,\n  -9223372036854775808,\n  9007199254740993,\n"
     "  18446744073709551616\n]",
     "[1,100,0,0,0.1,1.5e+300,1e-07,786000000.123456,12345678901234567890,"
     "-9223372036854775808,9007199254740993,18446744073709551616]"},
    {"DuplicateKeyKeepsLast", R"({"a":1,"a":2})", "{\n  \"a\" : 2\n}", R"({"a":2})"},
};

class WriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteTest, writesPrettyAndCompactForms) {
    const WriteCase& c = GetParam();
    const auto value = JsonText::parse(c.input);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(JsonText::pretty(*value), c.pretty);
    EXPECT_EQ(JsonText::compact(*value), c.compact);
}

TEST_P(WriteTest, prettyFormIsStableAndBothFormsReadBack) {
    const auto value = JsonText::parse(GetParam().input);
    ASSERT_TRUE(value.has_value());
    const std::string pretty = JsonText::pretty(*value);
    const auto reparsedPretty = JsonText::parse(pretty);
    const auto reparsedCompact = JsonText::parse(JsonText::compact(*value));
    ASSERT_TRUE(reparsedPretty.has_value());
    ASSERT_TRUE(reparsedCompact.has_value());
    EXPECT_EQ(JsonText::pretty(*reparsedPretty), pretty);
    EXPECT_EQ(*reparsedPretty, *value);
    EXPECT_EQ(*reparsedCompact, *value);
}

INSTANTIATE_TEST_SUITE_P(JsonText, WriteTest, testing::ValuesIn(writeCases), nameOf<WriteCase>);

TEST(WriterTest, refusesValuesNestedBeyondTheLimit) {
    nlohmann::json deep = nlohmann::json::array();
    for (int level = 0; level < 600; ++level) {
        deep = nlohmann::json::array({std::move(deep)});
    }
    EXPECT_EQ(JsonText::pretty(deep), "");
    EXPECT_EQ(JsonText::compact(deep), "");
}

TEST(WriterTest, writesStringsThatAreNotValidUtf8AsValidJson) {
    const nlohmann::json value = nlohmann::json::array({std::string("a\xFF")});
    const std::string compact = JsonText::compact(value);
    EXPECT_EQ(compact, "[\"a\uFFFD\"]");
    EXPECT_TRUE(JsonText::parse(compact).has_value());
}

struct QuotedCase {
    std::string name;
    std::string text;
    std::string quoted;
};

const std::vector<QuotedCase> quotedCases = {
    {"Empty", "", R"("")"},
    {"Slash", "a/b", R"("a\/b")"},
    {"Nul", std::string("\0", 1), R"("\u0000")"},
    {"Escape", "\x1b", R"("\u001b")"},
    {"Chinese", "剪贴板", "\"剪贴板\""},
    {"InvalidBytes", "\xC0", "\"\uFFFD\""},
};

class QuotedTest : public testing::TestWithParam<QuotedCase> {};

TEST_P(QuotedTest, escapesAsTheWriterDoes) {
    const QuotedCase& c = GetParam();
    EXPECT_EQ(JsonText::quoted(c.text), c.quoted);
}

INSTANTIATE_TEST_SUITE_P(JsonText, QuotedTest, testing::ValuesIn(quotedCases), nameOf<QuotedCase>);

struct NumberCase {
    std::string name;
    double value = 0;
    std::string text;
};

const std::vector<NumberCase> numberCases = {
    {"Timestamp", 786000000.123456, "786000000.123456"},
    {"Whole", 1.0, "1"},
    {"Hundred", 1e2, "100"},
    {"LargestExactInteger", 9007199254740992.0, "9007199254740992"},
    {"BeyondExactIntegers", 1e17, "1e+17"},
    {"Tenth", 0.1, "0.1"},
    {"Negative", -2.5, "-2.5"},
    {"NegativeZero", -0.0, "0"},
    {"Huge", 1.7976931348623157e308, "1.7976931348623157e+308"},
    {"SmallestSubnormal", 5e-324, "5e-324"},
    {"NotANumber", std::numeric_limits<double>::quiet_NaN(), "null"},
    {"Infinity", std::numeric_limits<double>::infinity(), "null"},
};

class NumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTest, writesTheShortestForm) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(JsonText::number(c.value), c.text);
}

INSTANTIATE_TEST_SUITE_P(JsonText, NumberTest, testing::ValuesIn(numberCases), nameOf<NumberCase>);

TEST(NumberTest, everyFiniteDoubleReadsBackExactly) {
    std::mt19937_64 random(20261207);
    for (int round = 0; round < 20000; ++round) {
        double value = 0;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) {
            continue;
        }
        const std::string text = JsonText::number(value);
        const auto parsed = JsonText::parse("[" + text + "]");
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
}

}  // namespace
}  // namespace nimbrook
