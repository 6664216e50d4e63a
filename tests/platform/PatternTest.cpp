#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Pattern.h"

namespace nimbrook {
namespace {

template <typename Case>
std::string nameOf(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

std::string repeated(std::string_view unit, std::size_t times) {
    std::string text;
    text.reserve(unit.size() * times);
    for (std::size_t index = 0; index < times; ++index) {
        text += unit;
    }
    return text;
}

struct FindCase {
    std::string name;
    std::string pattern;
    std::string text;
    bool found = false;
};

const std::vector<FindCase> findCases = {
    {"AnywhereNotWhole", R"([{};])", "let x = 1;", true},
    {"CaseSensitive", "class", "CLASS Foo", false},
    {"CaretOnlyAtTextStart", R"(^#{1,6}\s+.+)", "intro\n## Part", false},
    {"CaretAtStart", R"(^#{1,6}\s+.+)", "# Title", true},
    {"MultilineCaret", R"((?m)^\d+\.\s+.+)", "intro\n1. item", true},
    {"MultilineCaretAfterCarriageReturn", R"((?m)^>\s+.+)", "a\r\n> quote", true},
    {"DotStopsAtLineFeed", "a.b", "a\nb", false},
    {"DotStopsAtLineSeparator", "a.b", "a\u2028b", false},
    {"DotTakesOneCharacter", "a.b", "a中b", true},
    {"WhitespaceClassCrossesLines", R"(^#\s+.+)", "#\n\ntitle", true},
    {"AnyCharacterClass", R"(```[\s\S]*?```)", "```\nlet x\n```", true},
    {"UnclosedFence", R"(```[\s\S]*?```)", "```\nlet x\n", false},
    {"LazyLink", R"(\[.+?\]\(.+?\))", "see [a](b) and [c](d)", true},
    {"LinkSpanningLines", R"(\[.+?\]\(.+?\))", "[a\n](b)", false},
    {"ExactlyFourSpaces", R"((?m)^    \S)", "x\n    y", true},
    {"FiveSpacesAreNotFour", R"((?m)^    \S)", "x\n     y", false},
    {"KeywordThenSpace", R"((?m)^\s*(def|from|import|class|if __name__)\s+)", "  import os", true},
    {"KeywordPrefixOnly", R"((?m)^\s*(def|from|import|class|if __name__)\s+)", "imports", false},
    {"BackReference", R"(<(strong|b)>(.*?)</\1>)", "<b>x</strong>", false},
    {"BackReferenceMatches", R"(<(strong|b)>(.*?)</\1>)", "<b>x</b>", true},
    {"NonAsciiPattern", "剪贴板", "我的剪贴板历史", true},
    {"InvalidTextBytes", R"(\[.+?\]\(.+?\))", "\xFF[a](\xC0)", true},
    {"PatternThatDoesNotCompile", "(unclosed", "(unclosed", false},
    {"EmptyText", "x*", "", true},
};

class FindTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTest, searchesWithIcuSemantics) {
    const FindCase& c = GetParam();
    EXPECT_EQ(Pattern(c.pattern).findIn(c.text), c.found);
}

INSTANTIATE_TEST_SUITE_P(Pattern, FindTest, testing::ValuesIn(findCases), nameOf<FindCase>);

struct ReplaceCase {
    std::string name;
    std::string pattern;
    std::string replacementTemplate;
    std::string text;
    std::string result;
};

const std::vector<ReplaceCase> replaceCases = {
    {"Heading", "<h1[^>]*>(.*?)</h1>", "# $1\n\n", "<h1 class=\"t\">Title</h1>x", "# Title\n\nx"},
    {"SameElementOnly", R"(<(strong|b)>(.*?)</\1>)", "**$2**",
     "<b>x</b> <strong>y</strong> <b>z</strong>", "**x** **y** <b>z</strong>"},
    {"GroupsInAnyOrder", R"re(<a[^>]*href="([^"]*)"[^>]*>(.*?)</a>)re", "[$2]($1)",
     R"(<a class="k" href="u">text</a>)", "[text](u)"},
    {"LazyStopsAtFirstClose", R"(\*(.+?)\*)", "$1", "*a* and *b*", "a and b"},
    {"RunsCollapse", R"(\n{3,})", "\n\n", "a\n\n\n\nb\n\n\nc\n\nd", "a\n\nb\n\nc\n\nd"},
    {"ResultNotSearchedAgain", "a", "aa", "aa", "aaaa"},
    {"EmptyMatchesBetweenCharacters", "x*", "-", "ab", "-a-b-"},
    {"MissingGroupIsEmpty", "(a)|b", "[$1]", "ab", "[a][]"},
    {"WholeMatch", "[0-9]+", "<$0>", "a12b3", "a<12>b<3>"},
    {"EscapedDollar", "x", R"(\$1)", "x", "$1"},
    {"LongestValidGroupNumber", "(a)", "$10", "a", "a0"},
    {"MultibyteOffsets", "(文)", "<$1>", "中文字", "中<文>字"},
    {"FenceKeepsContent", R"(```\w*\n?([\s\S]*?)```)", "$1", "```swift\nlet x\n```", "let x\n"},
    {"OnlyLeadingHeading", R"(^#{1,6}\s+)", "", "# A\n## B", "A\n## B"},
    {"InvalidBytesCopiedThrough", "b", "B", "a\xFF b\xC0", "a\xFF B\xC0"},
    {"UnknownGroupLeavesText", "(a)", "$2", "aaa", "aaa"},
    {"DollarWithoutNumberLeavesText", "(a)", "$x", "aaa", "aaa"},
    {"PatternThatDoesNotCompile", "[", "x", "[[", "[["},
};

class ReplaceTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, replacesEveryMatchInOnePass) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(Pattern(c.pattern).replaceAll(c.text, c.replacementTemplate), c.result);
}

INSTANTIATE_TEST_SUITE_P(Pattern, ReplaceTest, testing::ValuesIn(replaceCases),
                         nameOf<ReplaceCase>);

// Texts on which a backtracking engine would run for hours or exhaust its stack.
struct AdversarialCase {
    std::string name;
    std::string pattern;
    std::string text;
    bool found = false;
};

const std::vector<AdversarialCase> adversarialCases = {
    {"OpenBrackets", R"(\[.+?\]\(.+?\))", std::string(200'000, '[')},
    {"UnclosedAnchors", R"re(<a[^>]*href="([^"]*)"[^>]*>(.*?)</a>)re", repeated("<a", 100'000)},
    {"NestedQuantifiers", "(a+)+b", std::string(40, 'a')},
    {"EarlyMatchThenHopeless", R"(\*(.+?)\*|\[.+?\]\(.+?\))", "*x* " + std::string(200'000, '['),
     true},
    {"DeepBacktrackingStack", "((a)|b)*c", std::string(2'000'000, 'a')},
};

class AdversarialTest : public testing::TestWithParam<AdversarialCase> {};

TEST_P(AdversarialTest, endsWithoutChangingTheText) {
    const AdversarialCase& c = GetParam();
    const Pattern pattern(c.pattern);
    EXPECT_EQ(pattern.findIn(c.text), c.found);
    EXPECT_EQ(pattern.replaceAll(c.text, "<$1>"), c.text);
}

INSTANTIATE_TEST_SUITE_P(Pattern, AdversarialTest, testing::ValuesIn(adversarialCases),
                         nameOf<AdversarialCase>);

TEST(PatternTest, stillMatchesQuicklyWhereAnEarlyMatchExists) {
    const Pattern bold(R"((?m)^\*\*.+?\*\*)");
    EXPECT_TRUE(bold.findIn(std::string(100'000, '*')));
}

TEST(PatternTest, outlivesTheTextItWasCompiledFrom) {
    const Pattern pattern(std::string("(a)b"));
    EXPECT_EQ(pattern.replaceAll("xab", "$1"), "xa");
}

TEST(PatternTest, movedPatternKeepsWorkingAndSourceMatchesNothing) {
    Pattern source("a+");
    Pattern moved(std::move(source));
    EXPECT_TRUE(moved.findIn("baa"));
    EXPECT_EQ(moved.replaceAll("baa", "x"), "bx");
    // NOLINTNEXTLINE(bugprone-use-after-move): a moved-from pattern must stay harmless.
    EXPECT_FALSE(source.findIn("baa"));
    EXPECT_EQ(source.replaceAll("baa", "x"), "baa");
}

TEST(PatternTest, oneSharedPatternServesSeveralThreads) {
    static const Pattern link(R"(\[(.+?)\]\((.+?)\))");
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (std::size_t worker = 0; worker < failures.size(); ++worker) {
        threads.emplace_back([&failures, worker] {
            const std::string label = "w" + std::to_string(worker);
            for (int round = 0; round < 200; ++round) {
                const std::string text = "see [" + label + "](u" + std::to_string(round) + ")";
                if (!link.findIn(text) || link.replaceAll(text, "$2:$1") !=
                                              "see u" + std::to_string(round) + ":" + label) {
                    ++failures[worker];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace nimbrook
