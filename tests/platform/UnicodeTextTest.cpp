#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

template <typename Case>
std::string nameOf(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

const std::string replacement = "\uFFFD";

struct RepairCase {
    std::string name;
    std::string bytes;
    std::string repaired;
};

const std::vector<RepairCase> repairCases = {
    {"Empty", "", ""},
    {"Ascii", "plain text", "plain text"},
    {"NulIsValid", std::string("a\0b", 3), std::string("a\0b", 3)},
    {"FourByteCharacter", "😀 中", "😀 中"},
    {"LoneContinuationByte", "a\x80z", "a" + replacement + "z"},
    {"InvalidLeadByte", "\xFF", replacement},
    {"TruncatedSequenceIsOneCharacter", "x\xE4\xBD", "x" + replacement},
    {"TruncatedBeforeAscii", "\xE4\xBD!", replacement + "!"},
    {"OverlongSlash", "\xC0\xAF", replacement + replacement},
    {"EncodedSurrogate", "\xED\xA0\x80", replacement + replacement + replacement},
    {"BeyondUnicode", "\xF4\x90\x80\x80", replacement + replacement + replacement + replacement},
    {"ValidAfterInvalid", "\xFE中", replacement + "中"},
};

class RepairTest : public testing::TestWithParam<RepairCase> {};

TEST_P(RepairTest, replacesEachMaximalInvalidPart) {
    const RepairCase& c = GetParam();
    const std::string repaired = UnicodeText::repairedUtf8(c.bytes);
    EXPECT_EQ(repaired, c.repaired);
    EXPECT_TRUE(UnicodeText::isValidUtf8(repaired));
    EXPECT_EQ(UnicodeText::isValidUtf8(c.bytes), c.bytes == c.repaired);
}

INSTANTIATE_TEST_SUITE_P(UnicodeText, RepairTest, testing::ValuesIn(repairCases),
                         nameOf<RepairCase>);

struct NormalizationCase {
    std::string name;
    std::string text;
    std::string nfc;
};

const std::vector<NormalizationCase> normalizationCases = {
    {"Ascii", "abc", "abc"},
    {"AlreadyComposed", "caf\u00E9 剪贴板", "caf\u00E9 剪贴板"},
    {"CombiningAcute", "cafe\u0301", "caf\u00E9"},
    {"AngstromSign", "\u212B", "\u00C5"},
    {"HangulJamo", "\u1100\u1161", "\uAC00"},
    {"ReorderedMarks", "a\u0301\u0323", "\u1EA1\u0301"},
    {"InvalidBytesRepaired", "e\u0301\xFF", "\u00E9" + replacement},
};

class NormalizationTest : public testing::TestWithParam<NormalizationCase> {};

TEST_P(NormalizationTest, composesCanonically) {
    const NormalizationCase& c = GetParam();
    EXPECT_EQ(UnicodeText::nfc(c.text), c.nfc);
}

INSTANTIATE_TEST_SUITE_P(UnicodeText, NormalizationTest, testing::ValuesIn(normalizationCases),
                         nameOf<NormalizationCase>);

struct EqualityCase {
    std::string name;
    std::string a;
    std::string b;
    bool equal = false;
};

const std::vector<EqualityCase> equalityCases = {
    {"Identical", "text", "text", true},
    {"ComposedAndDecomposed", "\u00E9t\u00E9", "e\u0301te\u0301", true},
    {"AngstromAndRingA", "\u212B", "\u00C5", true},
    {"CaseMatters", "\u00E9", "\u00C9", false},
    {"NoTrimming", "x", "x ", false},
    {"CompatibilityIsNotCanonical", "\uFB01", "fi", false},
    {"EmptyTexts", "", "", true},
};

class EqualityTest : public testing::TestWithParam<EqualityCase> {};

TEST_P(EqualityTest, comparesUnderCanonicalEquivalence) {
    const EqualityCase& c = GetParam();
    EXPECT_EQ(UnicodeText::canonicallyEqual(c.a, c.b), c.equal);
    EXPECT_EQ(UnicodeText::canonicallyEqual(c.b, c.a), c.equal);
}

INSTANTIATE_TEST_SUITE_P(UnicodeText, EqualityTest, testing::ValuesIn(equalityCases),
                         nameOf<EqualityCase>);

struct LowercaseCase {
    std::string name;
    std::string text;
    std::string lowered;
};

const std::vector<LowercaseCase> lowercaseCases = {
    {"Ascii", "Hello WORLD 42", "hello world 42"},
    {"Latin", "\u00C4\u00D6\u00DC Stra\u00DFe", "\u00E4\u00F6\u00FC stra\u00DFe"},
    {"DottedCapitalIUnderRootLocale", "\u0130STANBUL", "i\u0307stanbul"},
    {"CapitalSharpS", "\u1E9E", "\u00DF"},
    {"FinalSigma", "\u039F\u0394\u039F\u03A3", "\u03BF\u03B4\u03BF\u03C2"},
    {"MedialSigma", "\u03A3\u0391", "\u03C3\u03B1"},
    {"ChineseUnchanged", "剪贴板 Safari", "剪贴板 safari"},
    {"FullwidthLetters", "\uFF21\uFF22", "\uFF41\uFF42"},
    {"InvalidBytesRepaired", "\xFF\u00C9", replacement + "\u00E9"},
};

class LowercaseTest : public testing::TestWithParam<LowercaseCase> {};

TEST_P(LowercaseTest, usesTheFullRootMapping) {
    const LowercaseCase& c = GetParam();
    EXPECT_EQ(UnicodeText::lowercased(c.text), c.lowered);
}

INSTANTIATE_TEST_SUITE_P(UnicodeText, LowercaseTest, testing::ValuesIn(lowercaseCases),
                         nameOf<LowercaseCase>);

const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
const std::string flags = "\U0001F1E8\U0001F1F3\U0001F1FA\U0001F1F8";

struct GraphemeCase {
    std::string name;
    std::string text;
    std::size_t count = 0;
    std::size_t prefixLength = 0;
    std::string prefix;
};

const std::vector<GraphemeCase> graphemeCases = {
    {"Empty", "", 0, 3, ""},
    {"Ascii", "abc", 3, 2, "ab"},
    {"CarriageReturnLineFeedIsOne", "a\r\nb", 3, 2, "a\r\n"},
    {"LoneCarriageReturns", "\r\r", 2, 1, "\r"},
    {"CombiningMark", "e\u0301x", 2, 1, "e\u0301"},
    {"ZeroWidthJoinerFamily", family + "x", 2, 1, family},
    {"FlagsPairUp", flags, 2, 1, "\U0001F1E8\U0001F1F3"},
    {"SkinTone", "\U0001F44D\U0001F3FD!", 2, 1, "\U0001F44D\U0001F3FD"},
    {"HangulJamo", "\u1100\u1161\u11A8", 1, 1, "\u1100\u1161\u11A8"},
    {"Chinese", "剪贴板历史", 5, 3, "剪贴板"},
    {"PrefixLongerThanText", "ab", 2, 10, "ab"},
    {"ZeroPrefix", "ab", 2, 0, ""},
};

class GraphemeTest : public testing::TestWithParam<GraphemeCase> {};

TEST_P(GraphemeTest, countsExtendedClusters) {
    const GraphemeCase& c = GetParam();
    EXPECT_EQ(UnicodeText::graphemeCount(c.text), c.count);
    EXPECT_EQ(UnicodeText::graphemePrefix(c.text, c.prefixLength), c.prefix);
}

INSTANTIATE_TEST_SUITE_P(UnicodeText, GraphemeTest, testing::ValuesIn(graphemeCases),
                         nameOf<GraphemeCase>);

TEST(GraphemeTest, survivesInvalidBytes) {
    const std::string text = "\xFF\xFE\xE4\xBD" + family;
    EXPECT_EQ(UnicodeText::graphemePrefix(text, 100), text);
    EXPECT_GE(UnicodeText::graphemeCount(text), 2u);
}

struct ReplaceCase {
    std::string name;
    std::string text;
    std::string target;
    std::string replacement;
    std::string result;
};

const std::vector<ReplaceCase> replaceCases = {
    {"Entity", "a &amp; b &amp;", "&amp;", "&", "a & b &"},
    {"NoOccurrence", "abc", "x", "y", "abc"},
    {"LeftToRightWithoutOverlap", "aaa", "aa", "b", "ba"},
    {"ReplacementNotSearchedAgain", "aa", "a", "aa", "aaaa"},
    {"CaseSensitive", "A a", "a", "b", "A b"},
    {"EmptyTargetChangesNothing", "abc", "", "x", "abc"},
    {"Deletion", "a&nbsp;b", "&nbsp;", "", "ab"},
    {"Multibyte", "剪贴板剪贴", "剪贴", "复制", "复制板复制"},
};

class ReplaceTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, replacesLiteralOccurrencesInOnePass) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(UnicodeText::replacingOccurrences(c.text, c.target, c.replacement), c.result);
}

INSTANTIATE_TEST_SUITE_P(UnicodeText, ReplaceTest, testing::ValuesIn(replaceCases),
                         nameOf<ReplaceCase>);

}  // namespace
}  // namespace nimbrook
