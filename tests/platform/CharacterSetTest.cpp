#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/CharacterSet.h"

namespace nimbrook {
namespace {

// Which characters each set holds is checked on every BMP character against the engine in
// DetectionRulesTest, and through the rows below; beyond Unicode, no set holds anything.
TEST(CharacterSets, holdNothingBeyondUnicode) {
    EXPECT_FALSE(CharacterSets::contains(CharacterSet::whitespaceAndNewlines, 0x110000));
}

struct TrimCase {
    std::string name;
    std::string text;
    std::string trimmed;
    CharacterSet set = CharacterSet::whitespaceAndNewlines;
};

const std::vector<TrimCase> trimCases = {
    {"Empty", "", "", CharacterSet::whitespace},
    {"OnlyBlanks", " \t\v\r\n\u3000\u2028", ""},
    {"LineBreaksAreNotWhitespace", " \t\n\u2028\u00A0", "\n\u2028", CharacterSet::whitespace},
    {"UnicodeSpaces", "\u00A0x\u3000\u2029", "x"},
    {"NewlinesAtEdges", "\r\nx \u2028", "x ", CharacterSet::newlines},
    {"ZeroWidthSpaceStays", "\u200Bx\u200B", "\u200Bx\u200B"},
    {"InvalidByteStopsTrim", " \xFF \xE4\xBD ", "\xFF \xE4\xBD"},
};

class TrimTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimTest, removesMembersAtBothEndsAndIsBlankWhenNothingIsLeft) {
    const TrimCase& c = GetParam();
    EXPECT_EQ(CharacterSets::trimmed(c.text, c.set), c.trimmed);
    EXPECT_EQ(CharacterSets::isBlank(c.text, c.set), c.trimmed.empty());
}

INSTANTIATE_TEST_SUITE_P(CharacterSets, TrimTest, testing::ValuesIn(trimCases), nameOf);

// Every member cuts, so runs of members and members at the ends leave empty pieces.
TEST(CharacterSets, splitKeepsEmptyPieces) {
    const std::tuple<std::string, CharacterSet, std::vector<std::string>> cases[] = {
        {"", CharacterSet::newlines, {""}},
        {"a\r\nb", CharacterSet::newlines, {"a", "", "b"}},
        {"a\u2028b\u0085c\u2029", CharacterSet::newlines, {"a", "b", "c", ""}},
        {"a  b\u3000c", CharacterSet::whitespace, {"a", "", "b", "c"}},
        {"\xFF\n\xC0", CharacterSet::newlines, {"\xFF", "\xC0"}},
    };
    for (const auto& [text, set, pieces] : cases) {
        EXPECT_EQ(CharacterSets::split(text, set), pieces) << text;
    }
}

}  // namespace
}  // namespace nimbrook
