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
    {"MultilineCaretAfterCarriageReturn", R"((?m)^>\s+.+)", "a\r\n> quote", true},
    {"DotStopsAtLineSeparator", "a.b", "a\u2028b", false},
    {"DotTakesOneCharacter", "a.b", "a中b", true},
    {"UnclosedFence", R"(```[\s\S]*?```)", "```\nlet x\n", false},
    {"LinkSpanningLines", R"(\[.+?\]\(.+?\))", "[a\n](b)", false},
    {"FiveSpacesAreNotFour", R"((?m)^    \S)", "x\n     y", false},
    {"KeywordPrefixOnly", R"((?m)^\s*(def|from|import|class|if __name__)\s+)", "imports", false},
    {"BackReference", R"(<(strong|b)>(.*?)</\1>)", "<b>x</strong>", false},
    {"InvalidTextBytes", R"(\[.+?\]\(.+?\))", "\xFF[a](\xC0)", true},
    {"PatternThatDoesNotCompile", "(unclosed", "(unclosed", false},
    {"EmptyText", "x*", "", true},
    // Texts on which a backtracking engine would run for hours or exhaust its stack.
    {"HostileOpenBrackets", R"(\[.+?\]\(.+?\))", std::string(200'000, '[')},
    {"HostileNestedQuantifiers", "(a+)+b", std::string(40, 'a')},
    {"HostileBacktrackingStack", "((a)|b)*c", std::string(2'000'000, 'a')},
};

class FindTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTest, searchesWithIcuSemanticsAndReplacesNothingWhereNothingIsFound) {
    const FindCase& c = GetParam();
    const Pattern pattern(c.pattern);
    EXPECT_EQ(pattern.findIn(c.text), c.found);
    if (!c.found) {
        EXPECT_EQ(pattern.replaceAll(c.text, "<$1>"), c.text);
    }
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
    {"SameElementOnly", R"(<(strong|b)>(.*?)</\1>)", "**$2**",
     "<b>x</b> <strong>y</strong> <b>z</strong>", "**x** **y** <b>z</strong>"},
    {"GroupsInAnyOrder", R"re(<a[^>]*href="([^"]*)"[^>]*>(.*?)</a>)re", "[$2]($1)",
     R"(<a class="k" href="u">text</a>)", "[text](u)"},
    {"RunsCollapse", R"(\n{3,})", "\n\n", "a\n\n\n\nb\n\n\nc\n\nd", "a\n\nb\n\nc\n\nd"},
    {"ResultNotSearchedAgain", "a", "aa", "aa", "aaaa"},
    {"EmptyMatchesBetweenCharacters", "x*", "-", "ab", "-a-b-"},
    {"MissingGroupIsEmpty", "(a)|b", "[$1]", "ab", "[a][]"},
    {"EscapedDollar", "x", R"(\$1)", "x", "$1"},
    {"LongestValidGroupNumber", "(a)", "$10", "a", "a0"},
    {"MultibyteOffsets", "(文)", "<$1>", "中文字", "中<文>字"},
    {"OnlyLeadingHeading", R"(^#{1,6}\s+)", "", "# A\n## B", "A\n## B"},
    {"InvalidBytesCopiedThrough", "b", "B", "a\xFF b\xC0", "a\xFF B\xC0"},
    {"UnknownGroupLeavesText", "(a)", "$2", "aaa", "aaa"},
    {"PatternThatDoesNotCompile", "[", "x", "[[", "[["},
    // Given up past the work limit: all or nothing, even after an early match.
    {"EarlyMatchThenHopeless", R"(\*(.+?)\*|\[.+?\]\(.+?\))", "<$1>",
     "*x* " + std::string(200'000, '['), "*x* " + std::string(200'000, '[')},
};

class ReplaceTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, replacesEveryMatchInOnePass) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(Pattern(c.pattern).replaceAll(c.text, c.replacementTemplate), c.result);
}

INSTANTIATE_TEST_SUITE_P(Pattern, ReplaceTest, testing::ValuesIn(replaceCases),
                         nameOf<ReplaceCase>);

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
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t worker = 0; worker < failures.size(); ++worker) {
        threads.emplace_back([&failures, worker] {
            const std::string id = std::to_string(worker);
            for (int round = 0; round < 200; ++round) {
                failures[worker] += link.replaceAll("[w](u" + id + ")", "$2:$1") != "u" + id + ":w";
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
