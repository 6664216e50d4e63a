#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "conversion/SmartConverter.h"
#include "model/NamedCase.h"
#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

using Conversion = SmartConverter::Conversion;

// Raw values are stored outside the program and titles are shown in the menu, in this order.
TEST(CatalogueTest, namesFollowTheMenuOrderAndRoundTrip) {
    const std::vector<std::pair<std::string, std::string>> expected{
        {"prettifyJSON", "格式化 JSON"},
        {"minifyJSON", "压缩 JSON"},
        {"wrapCode", "包裹代码块"},
        {"htmlToMarkdown", "HTML \u2192 Markdown"},
        {"urlToMarkdown", "URL \u2192 Markdown 链接"},
        {"stripFormat", "纯文本"},
    };
    ASSERT_EQ(SmartConverter::allCases.size(), expected.size());
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const Conversion conversion = SmartConverter::allCases[index];
        EXPECT_EQ(SmartConverter::rawValue(conversion), expected[index].first);
        EXPECT_EQ(SmartConverter::title(conversion), expected[index].second);
        EXPECT_EQ(SmartConverter::fromRawValue(expected[index].first), conversion);
    }
    for (const std::string& raw : {std::string("prettifyjson"), std::string(),
                                   std::string("纯文本"), std::string("stripFormat\0", 12)}) {
        EXPECT_EQ(SmartConverter::fromRawValue(raw), std::nullopt) << raw;
    }
}

struct ConversionCase {
    std::string name;
    Conversion conversion;
    std::string input;
    std::string expected;
};

class ConvertTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(ConvertTest, givesTheExpectedText) {
    const ConversionCase& c = GetParam();
    EXPECT_EQ(SmartConverter::convert(c.input, c.conversion), c.expected);
}

const std::vector<ConversionCase> cases{
    {"prettySortsAndNests", Conversion::prettifyJSON, R"({"t":true,"l":[1,{"k":null}]})",
     "{\n  \"l\" : [\n    1,\n    {\n      \"k\" : null\n    }\n  ],\n  \"t\" : true\n}"},
    {"prettyEscapesSlashes", Conversion::prettifyJSON, R"(["https://a.b/c"])",
     "[\n  \"https:\\/\\/a.b\\/c\"\n]"},
    {"minifyPrettyObject", Conversion::minifyJSON,
     "{\n  \"n\" : [1, 2.5, -3],\n  \"u\" : \"a/b\"\n}", R"({"n":[1,2.5,-3],"u":"a\/b"})"},
    {"minifyKeepsUnicodeAsUtf8", Conversion::minifyJSON, " \n[ \"中文\", \"\\u00e9\", \"😀\" ]\t\n",
     R"(["中文","é","😀"])"},
    {"minifyKeepsControlEscapes", Conversion::minifyJSON, R"([ "a\nb\t\"q\"\\" ])",
     R"(["a\nb\t\"q\"\\"])"},
    {"minifyKeepsBigIntegers", Conversion::minifyJSON,
     "[9007199254740993, -9223372036854775808, 18446744073709551615]",
     "[9007199254740993,-9223372036854775808,18446744073709551615]"},
    {"minifyWideIntegerUnchanged", Conversion::minifyJSON, "[123456789012345678901234567890]",
     "[123456789012345678901234567890]"},
    {"minifyLongDigitRunInString", Conversion::minifyJSON, R"([ "1234567890123456789012", 2.5 ])",
     R"(["1234567890123456789012",2.5])"},
    {"minifyBareStringUnchanged", Conversion::minifyJSON, R"("a/b")", R"("a/b")"},
    {"minifyTruncatedUnchanged", Conversion::minifyJSON, "[1, 2", "[1, 2"},
    {"minifyTrailingTextUnchanged", Conversion::minifyJSON, "[1] x", "[1] x"},
    {"minifyTrailingCommaUnchanged", Conversion::minifyJSON, "[1,]", "[1,]"},
    {"minifyCommentUnchanged", Conversion::minifyJSON, "[1] // one", "[1] // one"},
    {"minifyOutOfRangeNumberUnchanged", Conversion::minifyJSON, "[1e400]", "[1e400]"},
    {"minifyLoneSurrogateEscapeUnchanged", Conversion::minifyJSON, R"(["\ud800"])",
     R"(["\ud800"])"},
    {"untrimmed", Conversion::wrapCode, "  a\n\tb  ", "```\n  a\n\tb  \n```"},
    {"trailingLineFeedKept", Conversion::wrapCode, "x\n", "```\nx\n\n```"},
    {"fenceInsideGetsLongerFence", Conversion::wrapCode, "```js\na\n```",
     "````\n```js\na\n```\n````"},
    {"shortBacktickRunsKeepThreeTicks", Conversion::wrapCode, "`a` ``b``", "```\n`a` ``b``\n```"},
    {"hostTrimmed", Conversion::urlToMarkdown, "  https://example.com/a?q=1#f \n",
     "[example.com](https://example.com/a?q=1#f)"},
    {"userAndPortNotInLabel", Conversion::urlToMarkdown, "https://user:pw@host.org:8080/",
     "[host.org](https://user:pw@host.org:8080/)"},
    {"emptyHost", Conversion::urlToMarkdown, "file:///tmp/a", "[link](file:///tmp/a)"},
    {"rejectedTrimmed", Conversion::urlToMarkdown, "  not a url \n", "not a url"},
    {"twoLinesRejected", Conversion::urlToMarkdown, "https://a.b\nhttps://c.d",
     "https://a.b\nhttps://c.d"},
    {"blankGivesEmpty", Conversion::urlToMarkdown, " \n\t ", ""},
    {"headingAndParagraphs", Conversion::htmlToMarkdown,
     R"(<h1 class="t">Title</h1><p>One</p><p>Two</p>)", "# Title\n\nOne\n\nTwo"},
    {"headingLevels", Conversion::htmlToMarkdown, "<h2>B</h2><h3>C</h3><h4>D</h4>",
     "## B\n\n### C\n\n#### D"},
    {"upperCaseAndFifthHeadingOnlyLoseTags", Conversion::htmlToMarkdown,
     "<H1>T</H1><P>x</P><h5>Five</h5>", "TxFive"},
    {"inlineMarks", Conversion::htmlToMarkdown,
     "<b>bold</b> <em>it</em> <code>x</code> <strong>s</strong><i>i</i>",
     "**bold** *it* `x` **s***i*"},
    {"attributesOrMismatchedCloseOnlyLoseTags", Conversion::htmlToMarkdown,
     R"(<b class="k">bold</b> <strong>x</b>)", "bold x"},
    {"nestedMarks", Conversion::htmlToMarkdown, "<b><i>x</i></b>", "***x***"},
    {"linkAttributesAndEntity", Conversion::htmlToMarkdown,
     R"(<a class="x" href="https://e.com/?b=1&amp;c=2" target="_blank">Go</a>)",
     "[Go](https://e.com/?b=1&c=2)"},
    {"singleQuotedHrefKeepsText", Conversion::htmlToMarkdown, "<a href='u'>text</a>", "text"},
    {"listItems", Conversion::htmlToMarkdown, "<ul><li>a</li><li>b</li></ul>", "- a\n- b"},
    {"listItemSpanningLinesGetsNoDash", Conversion::htmlToMarkdown, "<ul><li>a\nb</li></ul>",
     "a\nb"},
    {"lineBreaks", Conversion::htmlToMarkdown, "a<br>b<br/>c<br />d", "a\nb\nc\nd"},
    {"paragraphsAcrossBlankLines", Conversion::htmlToMarkdown, "<p>One</p>\n  \n<p>Two</p>",
     "One\n\nTwo"},
    {"doubleEscapedEntityDecodedTwice", Conversion::htmlToMarkdown, "x &amp;lt; y", "x < y"},
    {"fiveEntitiesNotNumeric", Conversion::htmlToMarkdown, "&quot;q&quot;&nbsp;&gt;&amp;&#39;",
     "\"q\" >&&#39;"},
    {"htmlLineFeedRunsCollapse", Conversion::htmlToMarkdown, "a\n\n\n\nb", "a\n\nb"},
    {"endsTrimmed", Conversion::htmlToMarkdown, "\n \u3000<p>a</p>\n\n ", "a"},
    {"headingEmphasisLink", Conversion::stripFormat, "# Title\n**bold** and *it*\n[link](u)",
     "Title\nbold and it\nlink"},
    {"laterHeadingKept", Conversion::stripFormat, "x\n## Sub", "x\n## Sub"},
    {"fenceWithLanguage", Conversion::stripFormat, "```swift\nlet a = 1\n```", "let a = 1"},
    {"inlineCodeAndTwoLinks", Conversion::stripFormat, "use `ls -la` [a](b) or [c](d)",
     "use ls -la a or c"},
    {"emphasisNeverSpansLines", Conversion::stripFormat, "**bold\nnext**", "**bold\nnext**"},
    {"linesTrimmed", Conversion::stripFormat, "  indented\ntext  \n\tx\u00a0", "indented\ntext\nx"},
    {"lineFeedRunsCollapse", Conversion::stripFormat, "a\n\n\n\nb", "a\n\nb"},
    {"spaceLinesNotCollapsed", Conversion::stripFormat, "a\n   \n   \n   \nb", "a\n\n\n\nb"},
    {"crLfAfterFenceDropped", Conversion::stripFormat, "```sh\r\nls\r\n```", "ls"},
    {"crLfIsOneLineBreak", Conversion::stripFormat, "  x  \r\n\r\n  y\r\n", "x\n\ny"},
    {"loneCrAndSeparatorsSplit", Conversion::stripFormat, "a\rb\u2028c\u0085d", "a\nb\nc\nd"},
    {"prettyJsonCompacted", Conversion::stripFormat, "{\n  \"a\" : 1,\n  \"b\" : [\"x/y\"]\n}",
     R"({"a":1,"b":["x\/y"]})"},
    {"invalidJsonGoesThroughSteps", Conversion::stripFormat, "{not *json*}", "{not json}"},
    {"embeddedNulKept", Conversion::stripFormat, std::string("a\0*b*", 5), std::string("a\0b", 3)},
    {"htmlRepaired", Conversion::htmlToMarkdown, "\xc3<b>x</b>", "\uFFFD**x**"},
    {"jsonRepairedThenParsed", Conversion::minifyJSON, "[ \"\xff\" ]", "[\"\uFFFD\"]"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ConvertTest, testing::ValuesIn(cases), nameOf);

struct TextCase {
    std::string name;
    std::string text;
};

// JSON that the writer cannot give back (or can only compact) still is JSON: the Markdown
// steps must never reach the markers inside its strings.
const TextCase jsonDocumentCases[] = {
    {"wideIntegerAndMarkers", R"({"note":"*important*","id":123456789012345678901234})"},
    {"deeperThanTheWriter", std::string(600, '[') + "\"**b**\"" + std::string(600, ']')},
    {"outOfRangeNumber", "[\"*a*\",\n  1e400]"},
    {"loneSurrogateEscape", R"(["`a`", "\ud800"])"},
    {"markersCompacted", "{\r\n  \"# T\" : \"[x](y) `c`\"\r\n}"},
};

class StripJsonTest : public testing::TestWithParam<TextCase> {};

TEST_P(StripJsonTest, givesWhatMinifyGives) {
    const std::string& text = GetParam().text;
    EXPECT_EQ(SmartConverter::convert(text, Conversion::stripFormat),
              SmartConverter::convert(text, Conversion::minifyJSON));
}

INSTANTIATE_TEST_SUITE_P(Json, StripJsonTest, testing::ValuesIn(jsonDocumentCases), nameOf);

const std::vector<TextCase> stableJsonCases{
    {"sortedObject", R"({"b":{"d":[],"c":{}},"a":"x/y"})"},
    {"unicodeKeys", R"({"é":1,"e":2,"中":3,"😀":4,"\uff61":5})"},
    {"numbers", R"([0,-0,1.5,-2.25e-7,1e21,123456789.125,9007199254740993,0.1])"},
};

class JsonStabilityTest : public testing::TestWithParam<TextCase> {};

// Pretty of pretty is the same text, compact of pretty is the compact form, and both keep
// the value.
TEST_P(JsonStabilityTest, formsAreStableAndKeepTheValue) {
    const std::string& json = GetParam().text;
    const std::string pretty = SmartConverter::convert(json, Conversion::prettifyJSON);
    const std::string compact = SmartConverter::convert(json, Conversion::minifyJSON);
    EXPECT_EQ(SmartConverter::convert(pretty, Conversion::prettifyJSON), pretty);
    EXPECT_EQ(SmartConverter::convert(pretty, Conversion::minifyJSON), compact);
    EXPECT_EQ(nlohmann::json::parse(pretty), nlohmann::json::parse(json));
    EXPECT_EQ(nlohmann::json::parse(compact), nlohmann::json::parse(json));
}

INSTANTIATE_TEST_SUITE_P(Json, JsonStabilityTest, testing::ValuesIn(stableJsonCases), nameOf);

std::string repeated(std::string_view piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t index = 0; index < count; ++index) {
        text += piece;
    }
    return text;
}

// A realistic page on one line, as a minifier or a browser's "copy as HTML" gives it.
std::string singleLineHtml(std::size_t bytes) {
    const std::string block =
        R"(<div class="post"><h2 id="s">Section</h2><p>Some <b>bold</b> and <a href="https://e.com/a">a link</a> &amp; text.</p><ul><li>one</li><li>two</li></ul><pre><code>x = 1;</code></pre></div>)";
    return repeated(block, bytes / block.size() + 1);
}

std::vector<TextCase> hostileCases() {
    return {
        {"singleLineHtml5MB", singleLineHtml(5'000'000)},
        {"asterisks", std::string(100'000, '*')},
        {"unclosedLinkAnchors", repeated("<a ", 30'000)},
        {"backtickRuns", repeated("``` ", 30'000)},
        {"deepJsonArray", std::string(100'000, '[') + std::string(100'000, ']')},
        {"binaryBytes", repeated(std::string("\xff\xfe\x80\0\x01\xc3", 6), 20'000)},
    };
}

class HostileInputTest : public testing::TestWithParam<TextCase> {};

// Completion is the point: no crash, no hang, and a text the clipboard can take.
TEST_P(HostileInputTest, everyConversionCompletesWithValidUtf8) {
    for (const Conversion conversion : SmartConverter::allCases) {
        const std::string result = SmartConverter::convert(GetParam().text, conversion);
        EXPECT_TRUE(UnicodeText::isValidUtf8(result)) << SmartConverter::rawValue(conversion);
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileInputTest, testing::ValuesIn(hostileCases()), nameOf);

}  // namespace
}  // namespace nimbrook
