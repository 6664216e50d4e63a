#include <array>
#include <cstddef>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include "detection/MatchBounds.h"
#include "platform/CharacterSet.h"
#include "platform/Pattern.h"

namespace nimbrook {
namespace {

// Pieces that meet every rule of the bounds: brackets, blanks of all kinds, every kind of
// line break, keywords whole and in part, and non-ASCII letters.
constexpr std::array<std::string_view, 28> pieces{
    "[",   "]",  "(",      ")",      "](",     " ",      "    ",   "\t",   "\n",    "\r\n",
    "\r",  "\v", "\u2028", "\u0085", "\u00a0", "\u3000", "import", "let",  "class", "if __name__",
    "def", "x",  "\u00e9", "{",      ";",      "le",     "t",      "func",
};

// Seeded, so every run checks the same texts.
std::vector<std::string> sampleTexts() {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<std::size_t> length(0, 12);
    std::vector<std::string> texts;
    for (int i = 0; i < 4000; ++i) {
        std::string text;
        for (std::size_t n = length(random); n > 0; --n) {
            text += pieces[piece(random)];
        }
        texts.push_back(text);
    }
    return texts;
}

struct BoundCase {
    std::string name;
    std::string pattern;
    std::function<std::size_t(std::string_view)> bound;
};

std::string nameOf(const testing::TestParamInfo<BoundCase>& info) {
    return info.param.name;
}

class MatchBoundsTest : public testing::TestWithParam<BoundCase> {};

// Searching from the bound must give the answer of searching the whole text.
TEST_P(MatchBoundsTest, searchFromBoundAgreesWithWholeSearch) {
    const Pattern pattern(GetParam().pattern);
    for (const std::string& text : sampleTexts()) {
        const std::size_t start = GetParam().bound(text);
        const bool fromBound = start != MatchBounds::impossible &&
                               pattern.findIn(std::string_view(text).substr(start));
        ASSERT_EQ(fromBound, pattern.findIn(text)) << "text: \"" << text << "\"";
    }
}

const std::vector<BoundCase> boundCases{
    {"Link", R"(\[.+?\]\(.+?\))", MatchBounds::firstLinkLine},
    {"Indented", R"((?m)^    \S)", MatchBounds::firstIndentedLine},
    {"Braces", R"([{};])", [](std::string_view t) { return MatchBounds::firstOfAny(t, "{};"); }},
    // Keywords of one and of two words; some pieces spell a keyword only together.
    {"Keywords", R"((?m)^\s*(func|let|import|class|def|if __name__)\s+)",
     [](std::string_view t) {
         return MatchBounds::firstKeywordLine(
             t, {"func", "let", "import", "class", "def", "if __name__"});
     }},
};
INSTANTIATE_TEST_SUITE_P(Patterns, MatchBoundsTest, testing::ValuesIn(boundCases), nameOf);

TEST(MatchBoundsLineBreakTest, agreesWithSplittingAtTheNewlineSet) {
    for (const std::string& text : sampleTexts()) {
        const bool splits = CharacterSets::split(text, CharacterSet::newlines).size() > 1;
        ASSERT_EQ(MatchBounds::containsLineBreak(text), splits) << "text: \"" << text << "\"";
    }
}

// The bounds skip searches that cannot match by reading the character sets; that is only
// sound while the engine's "\s", "." and multi-line "^" agree with those sets.
TEST(PatternCharacterSetAgreementTest, whiteSpaceLineBreaksAndDotAgreeOnEveryBmpCharacter) {
    const Pattern whiteSpace(R"(\s)");
    const Pattern lineStart(R"((?m)^x)");
    const Pattern dot(R"(a.b)");
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        std::string character;
        icu::UnicodeString(static_cast<UChar32>(c)).toUTF8String(character);
        SCOPED_TRACE(static_cast<int>(c));
        const bool isBlank = CharacterSets::contains(CharacterSet::whitespaceAndNewlines, c);
        const bool isLineBreak = CharacterSets::contains(CharacterSet::newlines, c);
        ASSERT_EQ(whiteSpace.findIn(character), isBlank);
        ASSERT_EQ(lineStart.findIn("a" + character + "x"), isLineBreak);
        ASSERT_EQ(dot.findIn("a" + character + "b"), !isLineBreak);
    }
}

}  // namespace
}  // namespace nimbrook
