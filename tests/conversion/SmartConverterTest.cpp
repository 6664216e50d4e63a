#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "conversion/SmartConverter.h"
#include "model/NamedCase.h"
#include "platform/UnicodeText.h"
#include "support/DifferentialTexts.h"

namespace nimbrook {
namespace {

using Conversion = SmartConverter::Conversion;

// Raw values come back from outside the program (scripts, saved settings): only the exact
// bytes name a conversion. Every raw value is listed by RemoteCommandsTest's ConvertUnknown.
TEST(CatalogueTest, onlyExactRawValuesNameAConversion) {
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

using enum Conversion;

const std::vector<ConversionCase> cases{
    {"prettySortsAndNests", prettifyJSON, R"({"t":true,"l":[1,{"k":null}]})",
     "{\n  \"l\" : [\n    1,\n    {\n      \"k\" : null\n    }\n  ],\n  \"t\" : true\n}"},
    {"minifyKeepsBigIntegers", minifyJSON,
     "[9007199254740993, -9223372036854775808, 18446744073709551615]",
     "[9007199254740993,-9223372036854775808,18446744073709551615]"},
    {"prettyKeepsDigitsNoDoubleHolds", prettifyJSON, "[153450000450000084322.0044556785732282]",
     "[\n  153450000450000084322.0044556785732282\n]"},
    {"prettyKeepsWideInteger", prettifyJSON, "[12345678901234567890123]",
     "[\n  12345678901234567890123\n]"},
    {"minifyKeepsDigitsNoDoubleHolds", minifyJSON,
     "[ 1.00000000000000000001, -123456789012345678901234567890, -1E+400 ]",
     "[1.00000000000000000001,-123456789012345678901234567890,-1E+400]"},
    {"minifyRoundTrippingNumbersAsBefore", minifyJSON, "[ 1.50, -0, -0.0, 1E-7, 0.1, 2e2 ]",
     "[1.5,0,0,1e-07,0.1,200]"},
    {"stripKeepsDigitsNoDoubleHolds", stripFormat,
     "{ \"id\" : 12345678901234567890123, \"*x*\" : 1.00000000000000000001 }",
     R"({"*x*":1.00000000000000000001,"id":12345678901234567890123})"},
    {"minifyLongDigitRunInString", minifyJSON, R"([ "1234567890123456789012", 2.5 ])",
     R"(["1234567890123456789012",2.5])"},
    {"untrimmed", wrapCode, "  a\n\tb  ", "```\n  a\n\tb  \n```"},
    {"fenceInsideGetsLongerFence", wrapCode, "```js\na\n```", "````\n```js\na\n```\n````"},
    {"shortBacktickRunsKeepThreeTicks", wrapCode, "`a` ``b``", "```\n`a` ``b``\n```"},
    {"hostTrimmed", urlToMarkdown, "  https://example.com/a?q=1#f \n",
     "[example.com](https://example.com/a?q=1#f)"},
    {"emptyHost", urlToMarkdown, "file:///tmp/a", "[link](file:///tmp/a)"},
    {"rejectedTrimmed", urlToMarkdown, "  not a url \n", "not a url"},
    {"blankGivesEmpty", urlToMarkdown, " \n\t ", ""},
    {"headingAndParagraphs", htmlToMarkdown, R"(<h1 class="t">Title</h1><p>One</p><p>Two</p>)",
     "# Title\n\nOne\n\nTwo"},
    {"headingLevels", htmlToMarkdown, "<h2>B</h2><h3>C</h3><h4>D</h4>", "## B\n\n### C\n\n#### D"},
    {"upperCaseAndFifthHeadingOnlyLoseTags", htmlToMarkdown, "<H1>T</H1><P>x</P><h5>Five</h5>",
     "TxFive"},
    {"inlineMarks", htmlToMarkdown,
     "<b>bold</b> <em>it</em> <code>x</code> <strong>s</strong><i>i</i>",
     "**bold** *it* `x` **s***i*"},
    {"attributesOrMismatchedCloseOnlyLoseTags", htmlToMarkdown,
     R"(<b class="k">bold</b> <strong>x</b>)", "bold x"},
    {"nestedMarks", htmlToMarkdown, "<b><i>x</i></b>", "***x***"},
    {"linkAttributesAndEntity", htmlToMarkdown,
     R"(<a class="x" href="https://e.com/?b=1&amp;c=2" target="_blank">Go</a>)",
     "[Go](https://e.com/?b=1&c=2)"},
    {"singleQuotedHrefKeepsText", htmlToMarkdown, "<a href='u'>text</a>", "text"},
    {"listItems", htmlToMarkdown, "<ul><li>a</li><li>b</li></ul>", "- a\n- b"},
    {"listItemSpanningLinesGetsNoDash", htmlToMarkdown, "<ul><li>a\nb</li></ul>", "a\nb"},
    {"lineBreaks", htmlToMarkdown, "a<br>b<br/>c<br />d", "a\nb\nc\nd"},
    {"paragraphsAcrossBlankLines", htmlToMarkdown, "<p>One</p>\n  \n<p>Two</p>", "One\n\nTwo"},
    {"doubleEscapedEntityDecodedTwice", htmlToMarkdown, "x &amp;lt; y", "x < y"},
    {"fiveEntitiesNotNumeric", htmlToMarkdown, "&quot;q&quot;&nbsp;&gt;&amp;&#39;",
     "\"q\" >&&#39;"},
    {"htmlLineFeedRunsCollapse", htmlToMarkdown, "a\n\n\n\nb", "a\n\nb"},
    {"endsTrimmed", htmlToMarkdown, "\n \u3000<p>a</p>\n\n ", "a"},
    {"headingEmphasisLink", stripFormat, "# Title\n**bold** and *it*\n[link](u)",
     "Title\nbold and it\nlink"},
    {"laterHeadingKept", stripFormat, "x\n## Sub", "x\n## Sub"},
    {"fenceWithLanguage", stripFormat, "```swift\nlet a = 1\n```", "let a = 1"},
    {"inlineCodeAndTwoLinks", stripFormat, "use `ls -la` [a](b) or [c](d)", "use ls -la a or c"},
    {"emphasisNeverSpansLines", stripFormat, "**bold\nnext**", "**bold\nnext**"},
    {"linesTrimmed", stripFormat, "  indented\ntext  \n\tx\u00a0", "indented\ntext\nx"},
    {"lineFeedRunsCollapse", stripFormat, "a\n\n\n\nb", "a\n\nb"},
    {"spaceLinesNotCollapsed", stripFormat, "a\n   \n   \n   \nb", "a\n\n\n\nb"},
    {"crLfAfterFenceDropped", stripFormat, "```sh\r\nls\r\n```", "ls"},
    {"crLfIsOneLineBreak", stripFormat, "  x  \r\n\r\n  y\r\n", "x\n\ny"},
    {"loneCrAndSeparatorsSplit", stripFormat, "a\rb\u2028c\u0085d", "a\nb\nc\nd"},
    {"prettyJsonCompacted", stripFormat, "{\n  \"a\" : 1,\n  \"b\" : [\"x/y\"]\n}",
     R"({"a":1,"b":["x\/y"]})"},
    {"invalidJsonGoesThroughSteps", stripFormat, "{not *json*}", "{not json}"},
    {"embeddedNulKept", stripFormat, std::string("a\0*b*", 5), std::string("a\0b", 3)},
    {"htmlRepaired", htmlToMarkdown, "\xc3<b>x</b>", "\uFFFD**x**"},
    {"jsonRepairedThenParsed", minifyJSON, "[ \"\xff\" ]", "[\"\uFFFD\"]"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ConvertTest, testing::ValuesIn(cases), nameOf);

// JSON that the parser refuses, or whose numbers keep their text, still is JSON: the Markdown
// steps must never reach the markers inside its strings.
TEST(StripJsonTest, givesWhatMinifyGives) {
    for (const std::string& text : {
             std::string(R"({"note":"*important*","id":123456789012345678901234})"),
             std::string(600, '[') + "\"**b**\"" + std::string(600, ']'),
             std::string("[\"*a*\",\n  1e400]"),
             std::string(R"(["`a`", "\ud800"])"),
             std::string("{\r\n  \"# T\" : \"[x](y) `c`\"\r\n}"),
         }) {
        EXPECT_EQ(SmartConverter::convert(text, stripFormat),
                  SmartConverter::convert(text, minifyJSON));
    }
}

// A realistic page on one line, as a minifier or a browser's "copy as HTML" gives it; 5 MB of
// it are the first hostile input.
const std::string page =
    R"(<div class="post"><h2 id="s">Section</h2><p>Some <b>bold</b> and <a href="https://e.com/a">a link</a> &amp; text.</p><ul><li>one</li><li>two</li></ul><pre><code>x = 1;</code></pre></div>)";

// Completion is the point: no crash, no hang, and a text the clipboard can take.
TEST(HostileInputTest, everyConversionCompletesWithValidUtf8) {
    for (const std::string& text : {
             repeated(page, 5'000'000 / page.size() + 1),
             std::string(100'000, '*'),
             repeated("<a ", 30'000),
             repeated("``` ", 30'000),
             std::string(100'000, '[') + std::string(100'000, ']'),
             repeated(std::string("\xff\xfe\x80\0\x01\xc3", 6), 20'000),
         }) {
        for (const Conversion conversion : SmartConverter::allCases) {
            const std::string result = SmartConverter::convert(text, conversion);
            EXPECT_TRUE(UnicodeText::isValidUtf8(result))
                << SmartConverter::rawValue(conversion) << " of " << text.substr(0, 20);
        }
    }
}

}  // namespace
}  // namespace nimbrook
