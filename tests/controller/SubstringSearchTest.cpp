#include <string>
#include <vector>

#include "controller/SubstringSearch.h"
#include "model/NamedCase.h"

namespace nimbrook {
namespace {

struct SearchCase {
    std::string name;
    std::string text;
    std::string needle;
    bool expected;
    bool expectedIgnoringAsciiCase;
};

// Rows the exhaustive check below cannot reach: empty and overlong needles, a needle
// whose ends match where its middle does not, NUL and high bytes.
const std::vector<SearchCase> cases = {
    {"EmptyNeedle", "", "", true, true},
    {"NeedleLongerThanText", "ab", "abc", false, false},
    {"FirstAndLastBytesMatchButNotTheMiddle", std::string(40, 'a') + "剪贴板b", "a剪贴贴b", false,
     false},
    {"NulBytes", std::string(50, '\0') + "k" + std::string(50, '\0'), std::string("\0k\0", 3), true,
     true},
    {"HighBytesAreNotSigned", std::string(64, '\x7f'), "\xff\x7f", false, false},
    {"CapitalsInTextAndNeedle", std::string(100, 'z') + "HeLLo World", "hello wORLD", false, true},
    {"CaseBitOfNonLetters", std::string(70, '@') + "[X", "`{x", false, false},
    {"OnlyAsciiFolds", std::string(70, '.') + "\xC3\x84Z", "\xC3\xA4z", false, false},
    {"OneNonLetter", "xx@", "`", false, false},
};

class Substring : public testing::TestWithParam<SearchCase> {};

TEST_P(Substring, IsFound) {
    EXPECT_EQ(SubstringSearch::contains(GetParam().text, GetParam().needle), GetParam().expected);
    EXPECT_EQ(SubstringSearch::containsIgnoringAsciiCase(GetParam().text, GetParam().needle),
              GetParam().expectedIgnoringAsciiCase);
}

INSTANTIATE_TEST_SUITE_P(Texts, Substring, testing::ValuesIn(cases), nameOf);

// Every needle taken from the text, of each length and at each position across several 64-byte
// blocks and the tail after them, is found, and folding case its lower-case form too; ending
// in a byte the text lacks, it is not.
TEST(SubstringSearchTest, FindsEveryPieceOfTheTextAndNothingElse) {
    std::string text;
    std::string lowered;
    for (int i = 0; i < 230; ++i) {
        lowered += static_cast<char>('a' + (i * 7) % 5);
        text += i % 3 == 0 ? static_cast<char>(lowered.back() - 'a' + 'A') : lowered.back();
    }
    for (std::size_t length = 1; length <= 20; ++length) {
        for (std::size_t position = 0; position + length <= text.size(); ++position) {
            SCOPED_TRACE(testing::Message() << position << " " << length);
            std::string needle = text.substr(position, length);
            std::string loweredNeedle = lowered.substr(position, length);
            EXPECT_TRUE(SubstringSearch::contains(text, needle));
            EXPECT_TRUE(SubstringSearch::containsIgnoringAsciiCase(text, loweredNeedle));
            needle.back() = 'z';
            loweredNeedle.back() = 'z';
            EXPECT_FALSE(SubstringSearch::contains(text, needle));
            EXPECT_FALSE(SubstringSearch::containsIgnoringAsciiCase(text, loweredNeedle));
        }
    }
}

}  // namespace
}  // namespace nimbrook
