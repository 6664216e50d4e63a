#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "conversion/SmartConverter.h"

namespace nimbrook {
namespace {

using Conversion = SmartConverter::Conversion;

struct CatalogueCase {
    std::string name;
    Conversion conversion;
    std::string raw;
    std::string title;
};

const std::vector<CatalogueCase> catalogueCases{
    {"prettifyJSON", Conversion::prettifyJSON, "prettifyJSON", "格式化 JSON"},
    {"minifyJSON", Conversion::minifyJSON, "minifyJSON", "压缩 JSON"},
    {"wrapCode", Conversion::wrapCode, "wrapCode", "包裹代码块"},
    {"htmlToMarkdown", Conversion::htmlToMarkdown, "htmlToMarkdown", "HTML \u2192 Markdown"},
    {"urlToMarkdown", Conversion::urlToMarkdown, "urlToMarkdown", "URL \u2192 Markdown 链接"},
    {"stripFormat", Conversion::stripFormat, "stripFormat", "纯文本"},
};

class CatalogueTest : public testing::TestWithParam<CatalogueCase> {};

TEST_P(CatalogueTest, rawValueTitleAndRoundTrip) {
    const CatalogueCase& c = GetParam();
    EXPECT_EQ(SmartConverter::rawValue(c.conversion), c.raw);
    EXPECT_EQ(SmartConverter::title(c.conversion), c.title);
    EXPECT_EQ(SmartConverter::fromRawValue(c.raw), c.conversion);
}

INSTANTIATE_TEST_SUITE_P(Conversions, CatalogueTest, testing::ValuesIn(catalogueCases),
                         [](const auto& info) { return info.param.name; });

TEST(CatalogueOrderTest, allCasesFollowTheMenuOrder) {
    ASSERT_EQ(SmartConverter::allCases.size(), catalogueCases.size());
    for (std::size_t index = 0; index < catalogueCases.size(); ++index) {
        EXPECT_EQ(SmartConverter::allCases[index], catalogueCases[index].conversion) << index;
    }
}

struct UnknownRawCase {
    std::string name;
    std::string raw;
};

const std::vector<UnknownRawCase> unknownRawCases{
    {"wrongCase", "prettifyjson"},
    {"functionNameNotRawValue", "urlToMarkdownLink"},
    {"empty", ""},
    {"trailingSpace", "wrapCode "},
    {"title", "纯文本"},
    {"embeddedNul", std::string("stripFormat\0", 12)},
};

class UnknownRawTest : public testing::TestWithParam<UnknownRawCase> {};

TEST_P(UnknownRawTest, yieldsNoConversion) {
    EXPECT_EQ(SmartConverter::fromRawValue(GetParam().raw), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, UnknownRawTest, testing::ValuesIn(unknownRawCases),
                         [](const auto& info) { return info.param.name; });

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

std::string nameOf(const testing::TestParamInfo<ConversionCase>& info) {
    return info.param.name;
}

const std::vector<ConversionCase> jsonCases{
    {"prettySortsKeys", Conversion::prettifyJSON, R"({"b":1,"a":2})",
     "{\n  \"a\" : 2,\n  \"b\" : 1\n}"},
    {"prettyNests", Conversion::prettifyJSON, R"({"l":[1,{"k":null}],"t":true})",
     "{\n  \"l\" : [\n    1,\n    {\n      \"k\" : null\n    }\n  ],\n  \"t\" : true\n}"},
    {"prettyEscapesSlashes", Conversion::prettifyJSON, R"(["https://a.b/c"])",
     "[\n  \"https:\\/\\/a.b\\/c\"\n]"},
    {"minifyEscapesSlashes", Conversion::minifyJSON, R"({"u" : "https://a.b/c"})",
     R"({"u":"https:\/\/a.b\/c"})"},
    {"minifyPrettyArray", Conversion::minifyJSON, "[\n  1,\n  2.5,\n  -3\n]\n", "[1,2.5,-3]"},
    {"minifyKeepsUnicodeAsUtf8", Conversion::minifyJSON, R"([ "中文", "\u00e9", "😀" ])",
     R"(["中文","é","😀"])"},
    {"minifyKeepsControlEscapes", Conversion::minifyJSON, R"([ "a\nb\t\"q\"\\" ])",
     R"(["a\nb\t\"q\"\\"])"},
    {"minifyAllowsSurroundingSpace", Conversion::minifyJSON, " \n[true, false]\t\n",
     "[true,false]"},
    {"minifyKeepsBigIntegers", Conversion::minifyJSON,
     "[9007199254740993, -9223372036854775808, 18446744073709551615]",
     "[9007199254740993,-9223372036854775808,18446744073709551615]"},
    {"minifyWideIntegerUnchanged", Conversion::minifyJSON, "[123456789012345678901234567890]",
     "[123456789012345678901234567890]"},
    {"prettyWideNegativeIntegerUnchanged", Conversion::prettifyJSON,
     R"({"n": -9999999999999999999})", R"({"n": -9999999999999999999})"},
    {"stripWideIntegerNotRounded", Conversion::stripFormat, "{\"n\":\n 123456789012345678901}",
     "{\"n\":\n123456789012345678901}"},
    {"minifyLongDigitRunInString", Conversion::minifyJSON, R"([ "1234567890123456789012", 2.5 ])",
     R"(["1234567890123456789012",2.5])"},
    {"prettyBareNumberUnchanged", Conversion::prettifyJSON, "42", "42"},
    {"minifyBareStringUnchanged", Conversion::minifyJSON, R"("a/b")", R"("a/b")"},
    {"prettyUnquotedKeysUnchanged", Conversion::prettifyJSON, "{a:1}", "{a:1}"},
    {"minifyEmptyUnchanged", Conversion::minifyJSON, "", ""},
    {"minifyTruncatedUnchanged", Conversion::minifyJSON, "[1, 2", "[1, 2"},
    {"minifyTrailingTextUnchanged", Conversion::minifyJSON, "[1] x", "[1] x"},
    {"minifyTrailingCommaUnchanged", Conversion::minifyJSON, "[1,]", "[1,]"},
    {"minifyCommentUnchanged", Conversion::minifyJSON, "[1] // one", "[1] // one"},
    {"minifyOutOfRangeNumberUnchanged", Conversion::minifyJSON, "[1e400]", "[1e400]"},
    {"minifyLoneSurrogateEscapeUnchanged", Conversion::minifyJSON, R"(["\ud800"])",
     R"(["\ud800"])"},
};

INSTANTIATE_TEST_SUITE_P(Json, ConvertTest, testing::ValuesIn(jsonCases), nameOf);

const std::vector<ConversionCase> wrapCodeCases{
    {"oneLine", Conversion::wrapCode, "x", "```\nx\n```"},
    {"trailingLineFeedKept", Conversion::wrapCode, "x\n", "```\nx\n\n```"},
    {"empty", Conversion::wrapCode, "", "```\n\n```"},
    {"untrimmed", Conversion::wrapCode, "  a\n\tb  ", "```\n  a\n\tb  \n```"},
    {"fenceInsideGetsLongerFence", Conversion::wrapCode, "```js\na\n```",
     "````\n```js\na\n```\n````"},
    {"shortBacktickRunsKeepThreeTicks", Conversion::wrapCode, "`a` ``b``", "```\n`a` ``b``\n```"},
};

INSTANTIATE_TEST_SUITE_P(WrapCode, ConvertTest, testing::ValuesIn(wrapCodeCases), nameOf);

const std::vector<ConversionCase> urlCases{
    {"hostTrimmed", Conversion::urlToMarkdown, "  https://example.com/a?q=1#f \n",
     "[example.com](https://example.com/a?q=1#f)"},
    {"portNotInLabel", Conversion::urlToMarkdown, "http://localhost:8080/x",
     "[localhost](http://localhost:8080/x)"},
    {"userNotInLabel", Conversion::urlToMarkdown, "https://user:pw@host.org/",
     "[host.org](https://user:pw@host.org/)"},
    {"noHost", Conversion::urlToMarkdown, "tel:123", "[link](tel:123)"},
    {"mailto", Conversion::urlToMarkdown, "mailto:a@b.c", "[link](mailto:a@b.c)"},
    {"emptyHost", Conversion::urlToMarkdown, "file:///tmp/a", "[link](file:///tmp/a)"},
    {"rejectedTrimmed", Conversion::urlToMarkdown, "  not a url \n", "not a url"},
    {"twoLinesRejected", Conversion::urlToMarkdown, "https://a.b\nhttps://c.d",
     "https://a.b\nhttps://c.d"},
    {"blankGivesEmpty", Conversion::urlToMarkdown, " \n\t ", ""},
    {"empty", Conversion::urlToMarkdown, "", ""},
};

INSTANTIATE_TEST_SUITE_P(Url, ConvertTest, testing::ValuesIn(urlCases), nameOf);

const std::vector<ConversionCase> htmlCases{
    {"headingAndParagraphs", Conversion::htmlToMarkdown,
     R"(<h1 class="t">Title</h1><p>One</p><p>Two</p>)", "# Title\n\nOne\n\nTwo"},
    {"headingLevels", Conversion::htmlToMarkdown, "<h2>B</h2><h3>C</h3><h4>D</h4>",
     "## B\n\n### C\n\n#### D"},
    {"headingsFiveAndSixOnlyLoseTags", Conversion::htmlToMarkdown, "<h5>Five</h5><h6>Six</h6>",
     "FiveSix"},
    {"upperCaseTagsOnlyLoseTags", Conversion::htmlToMarkdown, "<H1>T</H1><P>x</P>", "Tx"},
    {"inlineMarks", Conversion::htmlToMarkdown, "<b>bold</b> <em>it</em> <code>x</code>",
     "**bold** *it* `x`"},
    {"strongAndI", Conversion::htmlToMarkdown, "<strong>s</strong><i>i</i>", "**s***i*"},
    {"boldWithAttributesOnlyLosesTags", Conversion::htmlToMarkdown, R"(<b class="k">bold</b>)",
     "bold"},
    {"mismatchedCloseOnlyLosesTags", Conversion::htmlToMarkdown, "<strong>x</b>", "x"},
    {"nestedMarks", Conversion::htmlToMarkdown, "<b><i>x</i></b>", "***x***"},
    {"link", Conversion::htmlToMarkdown, R"(<a href="u">text</a>)", "[text](u)"},
    {"linkAttributesAndEntity", Conversion::htmlToMarkdown,
     R"(<a class="x" href="https://e.com/?b=1&amp;c=2" target="_blank">Go</a>)",
     "[Go](https://e.com/?b=1&c=2)"},
    {"singleQuotedHrefKeepsText", Conversion::htmlToMarkdown, "<a href='u'>text</a>", "text"},
    {"linkInHeading", Conversion::htmlToMarkdown, R"(<h1><a href="/x">T</a></h1>)", "# [T](/x)"},
    {"listItems", Conversion::htmlToMarkdown, "<ul><li>a</li><li>b</li></ul>", "- a\n- b"},
    {"listItemSpanningLinesGetsNoDash", Conversion::htmlToMarkdown, "<ul><li>a\nb</li></ul>",
     "a\nb"},
    {"lineBreaks", Conversion::htmlToMarkdown, "a<br>b<br/>c<br />d", "a\nb\nc\nd"},
    {"paragraphsAcrossBlankLines", Conversion::htmlToMarkdown, "<p>One</p>\n  \n<p>Two</p>",
     "One\n\nTwo"},
    {"preLosesTags", Conversion::htmlToMarkdown, "<pre>code</pre>", "code"},
    {"doubleEscapedEntityDecodedTwice", Conversion::htmlToMarkdown, "x &amp;lt; y", "x < y"},
    {"fiveEntities", Conversion::htmlToMarkdown, "&quot;q&quot;&nbsp;&gt;&amp;", "\"q\" >&"},
    {"numericEntityStays", Conversion::htmlToMarkdown, "it&#39;s", "it&#39;s"},
    {"lineFeedRunsCollapse", Conversion::htmlToMarkdown, "a\n\n\n\nb", "a\n\nb"},
    {"endsTrimmed", Conversion::htmlToMarkdown, "\n \u3000<p>a</p>\n\n ", "a"},
    {"chinese", Conversion::htmlToMarkdown, "<h2>标题</h2><p>正文</p>", "## 标题\n\n正文"},
};

INSTANTIATE_TEST_SUITE_P(Html, ConvertTest, testing::ValuesIn(htmlCases), nameOf);

const std::vector<ConversionCase> stripCases{
    {"headingEmphasisLink", Conversion::stripFormat, "# Title\n**bold** and *it*\n[link](u)",
     "Title\nbold and it\nlink"},
    {"laterHeadingKept", Conversion::stripFormat, "x\n## Sub", "x\n## Sub"},
    {"headingNeedsSpace", Conversion::stripFormat, "#tag", "#tag"},
    {"sevenHashesKept", Conversion::stripFormat, "####### seven", "####### seven"},
    {"fenceWithLanguage", Conversion::stripFormat, "```swift\nlet a = 1\n```", "let a = 1"},
    {"asterisksInsideFence", Conversion::stripFormat, "```\na*b*c\n```", "abc"},
    {"inlineCode", Conversion::stripFormat, "use `ls -la` now", "use ls -la now"},
    {"twoLinks", Conversion::stripFormat, "[a](b) and [c](d)", "a and c"},
    {"emphasisNeverSpansLines", Conversion::stripFormat, "**bold\nnext**", "**bold\nnext**"},
    {"linesTrimmed", Conversion::stripFormat, "  indented\ntext  \n\tx\u00a0", "indented\ntext\nx"},
    {"listUnchanged", Conversion::stripFormat, "- a\n- b", "- a\n- b"},
    {"lineFeedRunsCollapse", Conversion::stripFormat, "a\n\n\n\nb", "a\n\nb"},
    {"spaceLinesNotCollapsed", Conversion::stripFormat, "a\n   \n   \n   \nb", "a\n\n\n\nb"},
    {"crLfRunsCollapse", Conversion::stripFormat, "a\r\n\r\n\r\n\r\nb", "a\n\nb"},
    {"crLfAfterFenceDropped", Conversion::stripFormat, "```sh\r\nls\r\n```", "ls"},
    {"crLfIsOneLineBreak", Conversion::stripFormat, "  x  \r\n\r\n  y\r\n", "x\n\ny"},
    {"loneCrAndSeparatorsSplit", Conversion::stripFormat, "a\rb\u2028c\u0085d", "a\nb\nc\nd"},
    {"prettyJsonCompacted", Conversion::stripFormat, "{\n  \"a\" : 1,\n  \"b\" : [1, 2]\n}",
     R"({"a":1,"b":[1,2]})"},
    {"jsonSlashesEscaped", Conversion::stripFormat, R"(["a/b"])", R"(["a\/b"])"},
    {"invalidJsonGoesThroughSteps", Conversion::stripFormat, "{not *json*}", "{not json}"},
    {"embeddedNulKept", Conversion::stripFormat, std::string("a\0*b*", 5), std::string("a\0b", 3)},
};

INSTANTIATE_TEST_SUITE_P(Strip, ConvertTest, testing::ValuesIn(stripCases), nameOf);

const std::vector<ConversionCase> invalidUtf8Cases{
    {"wrapCodeRepaired", Conversion::wrapCode, "a\xff", "```\na\uFFFD\n```"},
    {"htmlRepaired", Conversion::htmlToMarkdown, "\xc3<b>x</b>", "\uFFFD**x**"},
    {"stripRepaired", Conversion::stripFormat, "*\xff*", "\uFFFD"},
    {"jsonRepairedThenParsed", Conversion::minifyJSON, "[ \"\xff\" ]", "[\"\uFFFD\"]"},
};

INSTANTIATE_TEST_SUITE_P(InvalidUtf8, ConvertTest, testing::ValuesIn(invalidUtf8Cases), nameOf);

}  // namespace
}  // namespace nimbrook
