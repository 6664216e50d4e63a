#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/CharacterSet.h"

namespace nimbrook {
namespace {

template <typename Case>
std::string nameOf(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

struct MembershipCase {
    std::string name;
    char32_t codePoint = 0;
    bool inWhitespaceAndNewlines = false;
    bool inWhitespace = false;
    bool inNewlines = false;
};

const std::vector<MembershipCase> membershipCases = {
    {"Space", U' ', true, true, false},
    {"Tab", U'\t', true, true, false},
    {"LineFeed", U'\n', true, false, true},
    {"VerticalTab", U'\v', true, false, true},
    {"CarriageReturn", U'\r', true, false, true},
    {"NextLine", U'\u0085', true, false, true},
    {"NoBreakSpace", U'\u00A0', true, true, false},
    {"IdeographicSpace", U'\u3000', true, true, false},
    {"LineSeparator", U'\u2028', true, false, true},
    {"ParagraphSeparator", U'\u2029', true, false, true},
    {"UnitSeparator", U'\u001F', false, false, false},
    {"ZeroWidthSpace", U'\u200B', false, false, false},
    {"ByteOrderMark", U'\uFEFF', false, false, false},
    {"MongolianVowelSeparator", U'\u180E', false, false, false},
    {"Letter", U'a', false, false, false},
    {"BeyondUnicode", static_cast<char32_t>(0x110000), false, false, false},
};

class MembershipTest : public testing::TestWithParam<MembershipCase> {};

TEST_P(MembershipTest, followsTheDefinitionOfEachSet) {
    const MembershipCase& c = GetParam();
    EXPECT_EQ(CharacterSets::contains(CharacterSet::whitespaceAndNewlines, c.codePoint),
              c.inWhitespaceAndNewlines);
    EXPECT_EQ(CharacterSets::contains(CharacterSet::whitespace, c.codePoint), c.inWhitespace);
    EXPECT_EQ(CharacterSets::contains(CharacterSet::newlines, c.codePoint), c.inNewlines);
}

INSTANTIATE_TEST_SUITE_P(CharacterSets, MembershipTest, testing::ValuesIn(membershipCases),
                         nameOf<MembershipCase>);

struct TrimCase {
    std::string name;
    std::string text;
    CharacterSet set = CharacterSet::whitespaceAndNewlines;
    std::string trimmed;
};

const std::vector<TrimCase> trimCases = {
    {"Empty", "", CharacterSet::whitespaceAndNewlines, ""},
    {"OnlyBlanks", " \t\r\n\u3000", CharacterSet::whitespaceAndNewlines, ""},
    {"BothEnds", "  a b \n", CharacterSet::whitespaceAndNewlines, "a b"},
    {"UnicodeSpaces", "\u00A0x\u3000\u2029", CharacterSet::whitespaceAndNewlines, "x"},
    {"NextLineIsNotWhitespace", "\u0085x ", CharacterSet::whitespace, "\u0085x"},
    {"NewlinesOnly", " \nx\r\n ", CharacterSet::newlines, " \nx\r\n "},
    {"NewlinesAtEdges", "\r\nx \u2028", CharacterSet::newlines, "x "},
    {"ZeroWidthSpaceStays", "\u200Bx\u200B", CharacterSet::whitespaceAndNewlines, "\u200Bx\u200B"},
    {"InvalidByteStopsTrim", " \xFF \xE4\xBD ", CharacterSet::whitespaceAndNewlines,
     "\xFF \xE4\xBD"},
    {"MultibyteNeighbours", " 中文 ", CharacterSet::whitespaceAndNewlines, "中文"},
};

class TrimTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimTest, removesMembersAtBothEnds) {
    const TrimCase& c = GetParam();
    EXPECT_EQ(CharacterSets::trimmed(c.text, c.set), c.trimmed);
}

INSTANTIATE_TEST_SUITE_P(CharacterSets, TrimTest, testing::ValuesIn(trimCases), nameOf<TrimCase>);

struct SplitCase {
    std::string name;
    std::string text;
    CharacterSet set = CharacterSet::newlines;
    std::vector<std::string> pieces;
};

const std::vector<SplitCase> splitCases = {
    {"Empty", "", CharacterSet::newlines, {""}},
    {"NoSeparator", "abc", CharacterSet::newlines, {"abc"}},
    {"CarriageReturnLineFeed", "a\r\nb", CharacterSet::newlines, {"a", "", "b"}},
    {"TrailingSeparator", "a\n", CharacterSet::newlines, {"a", ""}},
    {"UnicodeNewlines", "a\u2028b\u0085c\u2029", CharacterSet::newlines, {"a", "b", "c", ""}},
    {"SpacesDoNotSplitLines", "a b\tc", CharacterSet::newlines, {"a b\tc"}},
    {"Whitespace", "a  b\u3000c", CharacterSet::whitespace, {"a", "", "b", "c"}},
    {"InvalidBytesKept", "\xFF\n\xC0", CharacterSet::newlines, {"\xFF", "\xC0"}},
};

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, keepsEmptyPieces) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(CharacterSets::split(c.text, c.set), c.pieces);
}

INSTANTIATE_TEST_SUITE_P(CharacterSets, SplitTest, testing::ValuesIn(splitCases),
                         nameOf<SplitCase>);

struct BlankCase {
    std::string name;
    std::string text;
    CharacterSet set = CharacterSet::whitespaceAndNewlines;
    bool blank = false;
};

const std::vector<BlankCase> blankCases = {
    {"Empty", "", CharacterSet::whitespace, true},
    {"SpacesAndTabs", " \t\u00A0", CharacterSet::whitespace, true},
    {"LineFeedIsNotWhitespace", " \n", CharacterSet::whitespace, false},
    {"SeparatorsAreBlank", "\u2028\u2029\r\n", CharacterSet::whitespaceAndNewlines, true},
    {"Letter", "  x ", CharacterSet::whitespaceAndNewlines, false},
    {"InvalidByte", " \x80 ", CharacterSet::whitespaceAndNewlines, false},
};

class BlankTest : public testing::TestWithParam<BlankCase> {};

TEST_P(BlankTest, holdsOnlyForMembers) {
    const BlankCase& c = GetParam();
    EXPECT_EQ(CharacterSets::isBlank(c.text, c.set), c.blank);
}

INSTANTIATE_TEST_SUITE_P(CharacterSets, BlankTest, testing::ValuesIn(blankCases),
                         nameOf<BlankCase>);

}  // namespace
}  // namespace nimbrook
