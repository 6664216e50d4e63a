#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/UnicodeText.h"
#include "platform/Utf8.h"

namespace nimbrook {
namespace {

const std::string fffd = "\uFFFD";

using Mapping = std::string (*)(std::string_view);

struct MappingCase {
    std::string name;
    Mapping mapping = nullptr;
    std::string text;
    std::string result;
};

const Mapping repair = &UnicodeText::repairedUtf8;
const Mapping nfc = &UnicodeText::nfc;
const Mapping lower = &UnicodeText::lowercased;
const Mapping lowerNfc = [](std::string_view text) {
    return UnicodeText::lowercasedNfc(UnicodeText::nfc(text));
};

const std::vector<MappingCase> mappingCases = {
    {"RepairKeepsNul", repair, std::string("a\0b", 3), std::string("a\0b", 3)},
    {"RepairLoneContinuationByte", repair, "a\x80z", "a" + fffd + "z"},
    {"RepairTruncatedSequenceAsOne", repair, "x\xE4\xBD", "x" + fffd},
    {"RepairTruncatedBeforeAscii", repair, "\xE4\xBD!", fffd + "!"},
    {"RepairOverlongSlash", repair, "\xC0\xAF", fffd + fffd},
    {"RepairEncodedSurrogate", repair, "\xED\xA0\x80", fffd + fffd + fffd},
    {"RepairAfterLongAsciiRun", repair, "0123456789abcdef\x80", "0123456789abcdef" + fffd},
    {"RepairOverlongThreeByteForm", repair, "\xE0\x9F\xBF", fffd + fffd + fffd},
    {"RepairKeepsHighestCodePoint", repair, "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
    {"RepairAboveHighestCodePoint", repair, "\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},
    {"RepairTruncatedFourByteAtEnd", repair, "01234567\xF0\x9F\x98", "01234567" + fffd},
    {"NfcAngstromSign", nfc, "\u212B", "\u00C5"},
    {"NfcReorderedMarks", nfc, "a\u0301\u0323", "\u1EA1\u0301"},
    {"NfcInvalidBytesRepaired", nfc, "e\u0301\xFF", "\u00E9" + fffd},
    {"LowerDottedCapitalIUnderRootLocale", lower, "\u0130STANBUL", "i\u0307stanbul"},
    {"LowerFinalSigma", lower, "\u039F\u0394\u039F\u03A3", "\u03BF\u03B4\u03BF\u03C2"},
    {"LowerMedialSigma", lower, "\u03A3\u0391", "\u03C3\u03B1"},
    {"LowerInvalidBytesRepaired", lower, "\xFF\u00C9", fffd + "\u00E9"},
    {"LowerNfcRecomposesWhatLoweringDecomposed", lowerNfc, "J\u030C", "\u01F0"},
};

class MappingTest : public testing::TestWithParam<MappingCase> {};

TEST_P(MappingTest, givesValidUtf8) {
    const MappingCase& c = GetParam();
    const std::string result = c.mapping(c.text);
    EXPECT_EQ(result, c.result);
    EXPECT_TRUE(UnicodeText::isValidUtf8(result));
    if (c.mapping == repair) {
        EXPECT_EQ(UnicodeText::isValidUtf8(c.text), c.text == c.result);
    }
}

INSTANTIATE_TEST_SUITE_P(UnicodeText, MappingTest, testing::ValuesIn(mappingCases), nameOf);

std::string asciiLowered(std::string text) {
    for (char& c : text) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

// The shortcut is only sound if no settled character changes under either mapping, or
// composes with the letters around it: every code point is tried between two.
TEST(UnicodeText, settledTextIsItsOwnNfcAndLowerCaseForm) {
    std::vector<char32_t> wrong;
    std::size_t settled = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        std::string text = "Ae";
        utf8::append(text, c);
        text += "E";
        if (!UnicodeText::isSettled(text)) {
            continue;
        }
        ++settled;
        if (UnicodeText::nfc(text) != text ||
            UnicodeText::lowercasedNfc(text) != asciiLowered(text)) {
            wrong.push_back(c);
        }
    }
    EXPECT_TRUE(wrong.empty()) << "first wrong: U+" << std::hex << std::uint32_t(wrong.front());
    // Most of Unicode: the ideographs, the small letters, the symbols.
    EXPECT_GT(settled, 200000u);
}

TEST(UnicodeText, settledTextsAreTheCommonOnes) {
    const std::vector<std::pair<std::string, bool>> texts = {
        {"", true},        {"Straße naïve résumé 剪贴板历史。", true},
        {"😀 emoji", true}, {"École", false},
        {"é", false},      {"Å", false},
        {"ΟΣ", false},     {"가", false},
    };
    for (const auto& [text, settled] : texts) {
        EXPECT_EQ(UnicodeText::isSettled(text), settled) << text;
    }
}

const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
const std::string flags = "\U0001F1E8\U0001F1F3\U0001F1FA\U0001F1F8";

struct GraphemeCase {
    std::string name;
    std::string text;
    std::size_t prefixLength = 0;
    std::string prefix;
};

const std::vector<GraphemeCase> graphemeCases = {
    {"Empty", "", 3, ""},
    {"CarriageReturnLineFeedIsOne", "a\r\nb", 2, "a\r\n"},
    {"CombiningMark", "e\u0301x", 1, "e\u0301"},
    {"ZeroWidthJoinerFamily", family + "x", 1, family},
    {"FlagsPairUp", flags, 1, "\U0001F1E8\U0001F1F3"},
    {"ZeroPrefix", "ab", 0, ""},
    {"PrefixLongerThanText", "ab", 10, "ab"},
    {"InvalidBytesEachACluster", "\xFF\xFE\xE4\xBD" + family, 3, "\xFF\xFE\xE4\xBD"},
};

class GraphemeTest : public testing::TestWithParam<GraphemeCase> {};

TEST_P(GraphemeTest, prefixTakesWholeExtendedClusters) {
    const GraphemeCase& c = GetParam();
    EXPECT_EQ(UnicodeText::graphemePrefix(c.text, c.prefixLength), c.prefix);
}

INSTANTIATE_TEST_SUITE_P(UnicodeText, GraphemeTest, testing::ValuesIn(graphemeCases), nameOf);

}  // namespace
}  // namespace nimbrook
