#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/JsonText.h"
#include "support/ReferenceJson.h"

namespace nimbrook {
namespace {

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

struct ParseCase {
    std::string name;
    std::string text;
    bool accepted = false;
};

const std::vector<ParseCase> parseCases = {
    {"WhitespaceAround", " \n\t[1] \r\n", true},
    {"EscapedSurrogatePair", R"(["\ud83d\ude00"])", true},
    {"DeepButWithinLimit", nested(512), true},
    {"BareNumber", "42", false},
    {"Empty", "", false},
    {"TrailingComma", "[1,]", false},
    {"Comment", "[1] // one", false},
    {"TextAfterValue", "[1] x", false},
    {"NotANumber", "[NaN]", false},
    {"NumberBeyondDouble", "[1e400]", true},
    {"NumberBeyondDoubleWithLeadingZero", "[01e400]", false},
    {"NumberBeyondDoubleBesideLoneSurrogate", R"([1e400, "\ud800"])", false},
    {"NumberBeyondDoubleBesideInvalidUtf8", "[1e400, \"\xFF\"]", false},
    {"RawTabInString", "[\"a\tb\"]", false},
    {"LoneSurrogateEscape", R"(["\ud800"])", false},
    {"ByteOrderMark", "\xEF\xBB\xBF[]", false},
    {"InvalidUtf8InString", "[\"\xFF\"]", false},
    {"EmbeddedNul", std::string("[1]\0", 4), false},
    {"TooDeep", nested(513), false},
    {"TenMegabytesOfBrackets", std::string(10'000'000, '['), false},
    {"BracketsInsideStringsDoNotCount", "[\"" + std::string(1000, '[') + "\"]", true},
};

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, acceptsOnlyStrictObjectsAndArrays) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(JsonText::parse(c.text).has_value(), c.accepted);
    EXPECT_EQ(JsonText::isDocument(c.text), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(JsonText, ParseTest, testing::ValuesIn(parseCases), nameOf);

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
    // Each keeps its text where `number` would write another value (and a whole number its text).
    {"NumbersNoDoubleHolds",
     "[153450000450000084322.0044556785732282,1.00000000000000000001,0.10000000000000000001,"
     "12345678901234567890123,-12345678901234567890123,100000000000000000000000,"
     "18446744073709551616.0,1e-400,1e400,-1E+400,1e99999999999999999999,1.50]",
     "[\n  153450000450000084322.0044556785732282,\n  1.00000000000000000001,\n"
     "  0.10000000000000000001,\n  12345678901234567890123,\n  -12345678901234567890123,\n"
     "  100000000000000000000000,\n  18446744073709551616,\n  1e-400,\n  1e400,\n  -1E+400,\n"
     "  1e99999999999999999999,\n  1.5\n]",
     "[153450000450000084322.0044556785732282,1.00000000000000000001,0.10000000000000000001,"
     "12345678901234567890123,-12345678901234567890123,100000000000000000000000,"
     "18446744073709551616,1e-400,1e400,-1E+400,1e99999999999999999999,1.5]"},
    // Numbers in keys and strings are no numbers: each one beyond a double finds its own text.
    {"NumbersBeyondDoubleAmongStrings", R"({"1e400":["-1e400 \"2",-1e400,3,1.5e999,-0]})",
     "{\n  \"1e400\" : [\n    \"-1e400 \\\"2\",\n    -1e400,\n    3,\n    1.5e999,\n    0\n  ]\n}",
     R"({"1e400":["-1e400 \"2",-1e400,3,1.5e999,0]})"},
    {"DuplicateKeyKeepsLast", R"({"a":1,"a":2})", "{\n  \"a\" : 2\n}", R"({"a":2})"},
};

class WriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteTest, writesPrettyAndCompactForms) {
    const WriteCase& c = GetParam();
    const auto document = JsonText::parse(c.input);
    ASSERT_TRUE(document.has_value());
    EXPECT_EQ(JsonText::pretty(*document), c.pretty);
    EXPECT_EQ(JsonText::compact(*document), c.compact);
    EXPECT_EQ(JsonText::pretty(JsonText::parse(c.pretty).value()), c.pretty) << "stable";
}

INSTANTIATE_TEST_SUITE_P(JsonText, WriteTest, testing::ValuesIn(writeCases), nameOf);

// Keys in every order, repeated, nested and holding characters on both sides of the surrogates,
// with values of each kind: both forms must be what an nlohmann tree of the text writes.
std::string manyKeys() {
    const std::vector<std::string> keys = {"",   "z",       "\uFF5E", "😀", "é",
                                           "a😀", "a\uFF5E", "\\n",    "/"};
    std::string text = "{";
    for (std::size_t index = 0; index < 200; ++index) {
        const std::string key = keys[(index * 7) % keys.size()] + std::to_string(index % 13);
        text += (index > 0 ? ",\"" : "\"") + key + "\":" +
                (index % 3 == 0 ? "{\"😀\":1,\"\uFF5E\":[2,{\"\uFFFF\":3,\"𐀀\":4}]}"
                                : std::to_string(index) + ".50");
    }
    return text + "}";
}

struct ReferenceCase {
    std::string name;
    std::string text;
};

const std::vector<ReferenceCase> referenceCases = {
    {"ManyKeys", manyKeys()},
    {"RepeatedKeysOfEveryKind",
     R"({"a":{"x":1},"b":[1],"a":[2,{"a":3,"a":{}}],"b":"s","c":null,"b":true,"c":{"d":1,"d":[]}})"},
    {"RepeatedKeysInsideArrays", R"([{"k":1,"k":2},[{"k":3}],{"k":{"k":4,"k":5}},[]])"},
    {"SupplementaryKeysNested", R"({"😀":{"～":{"😀":[{"～":1,"😀":2}],"a":0},"😀":3},"～":4})"},
    {"EmptyKeysAndStrings", R"({"":"","\u0000":"\u0000","\"":"\\","/":"\/"})"},
    {"IntegersAtTheirLimits",
     "[0,-0,9223372036854775807,-9223372036854775808,-9223372036854775809,"
     "18446744073709551615,18446744073709551616,-1,1]"},
    {"Decimals", "[0.0,-0.0,1.5e1,2E+2,3e-2,1e21,1e22,123456789012345678,0.1e1,5e-324,2.5e-324]"},
    {"DeepestObjects", std::string(510, '[') + R"({"b":{},"a":[]})" + std::string(510, ']')},
};

class ReferenceTest : public testing::TestWithParam<ReferenceCase> {};

TEST_P(ReferenceTest, writesWhatTheTreeWrites) {
    const ReferenceCase& c = GetParam();
    const auto document = JsonText::parse(c.text);
    ASSERT_TRUE(document.has_value());
    EXPECT_EQ(JsonText::pretty(*document), ReferenceJson::pretty(c.text));
    EXPECT_EQ(JsonText::compact(*document), ReferenceJson::compact(c.text));
}

INSTANTIATE_TEST_SUITE_P(JsonText, ReferenceTest, testing::ValuesIn(referenceCases), nameOf);

// The history file is written piece by piece with quoted(), which the writer's rows above also
// take; here a string that is not valid UTF-8 still gives valid JSON.
TEST(QuotedTest, repairsInvalidUtf8) {
    EXPECT_EQ(JsonText::quoted(std::string("/\0\xC0", 3)), "\"\\/\\u0000\uFFFD\"");
}

// Beyond what the writer's own table shows: exponents, the extremes and what JSON cannot hold.
TEST(NumberTest, writesTheShortestForm) {
    const std::pair<double, std::string> cases[] = {
        {1e17, "1e+17"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::quiet_NaN(), "null"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(JsonText::number(value), text);
    }
}

}  // namespace
}  // namespace nimbrook
