#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/ClipboardItem.h"
#include "support/DifferentialTexts.h"

namespace nimbrook {
namespace {

ClipboardItem itemWith(std::string content, std::optional<std::string> sourceApp = std::nullopt) {
    return ClipboardItem(Uuid::random(), std::move(content), ContentType::plainText,
                         Timestamp{786000000.5}, std::move(sourceApp));
}

const std::string family =
    "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
const std::string ellipsis = "\xE2\x80\xA6";

struct PreviewCase {
    std::string name;
    std::string content;
    std::string preview;
};

const PreviewCase previewCases[] = {
    {"blankUnicodeSpaces", "\xE3\x80\x80\xC2\xA0\xC2\x85\t\r\n", "(空)"},
    {"innerLineBreaksKept", "\n a\n\nb \n", "a\n\nb"},
    {"paddedTo120", "  " + repeated("b", 120) + "\n\n", repeated("b", 120)},
    {"chinese121", repeated("汉", 121), repeated("汉", 120) + ellipsis},
    {"emojiSequences121", repeated(family, 121), repeated(family, 120) + ellipsis},
};

class PreviewTest : public testing::TestWithParam<PreviewCase> {};

TEST_P(PreviewTest, trimsAndShortensByGraphemes) {
    EXPECT_EQ(itemWith(GetParam().content).preview(), GetParam().preview);
}

INSTANTIATE_TEST_SUITE_P(Cases, PreviewTest, testing::ValuesIn(previewCases), nameOf);

struct DerivedCase {
    std::string name;
    std::string content;
    std::optional<std::string> sourceApp;
    std::string storedContent;
    std::string canonical;
    std::string searchable;
    std::string searchableSource;
    // No second copy of a text whose only capitals are ASCII letters.
    bool searchedInPlace = false;
};

std::string asciiLowered(std::string_view text) {
    std::string lowered(text);
    std::ranges::transform(lowered, lowered.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 'a' - 'A') : c;
    });
    return lowered;
}

const std::string fffd = "\xEF\xBF\xBD";

const DerivedCase derivedCases[] = {
    {"decomposedKeptButComposedForSearch", "Cafe\xCC\x81", std::nullopt, "Cafe\xCC\x81",
     "Caf\xC3\xA9", "caf\xC3\xA9", ""},
    {"fullLowerCaseMapping", "\xC3\x84\xC3\x96 \xCE\xA3", "\xC3\x84PP", "\xC3\x84\xC3\x96 \xCE\xA3",
     "\xC3\x84\xC3\x96 \xCE\xA3", "\xC3\xA4\xC3\xB6 \xCF\x83", "\xC3\xA4pp"},
    {"invalidUtf8Repaired", "a\xFFz\xC3", "x\x80", "a" + fffd + "z" + fffd, "a" + fffd + "z" + fffd,
     "a" + fffd + "z" + fffd, "x" + fffd, true},
    {"chineseWithAsciiCapitals", "剪贴 Board", "Nimbrook", "剪贴 Board", "剪贴 Board", "剪贴 board",
     "nimbrook", true},
};

class DerivedFormsTest : public testing::TestWithParam<DerivedCase> {};

TEST_P(DerivedFormsTest, computedOnceFromTheFields) {
    const DerivedCase& testCase = GetParam();
    const ClipboardItem item = itemWith(testCase.content, testCase.sourceApp);
    EXPECT_EQ(item.content(), testCase.storedContent);
    EXPECT_EQ(item.canonicalContent(), testCase.canonical);
    EXPECT_EQ(asciiLowered(item.searchableContent()), testCase.searchable);
    EXPECT_EQ(asciiLowered(item.searchableSourceApp()), testCase.searchableSource);
    EXPECT_EQ(item.searchableContent().data() == item.content().data(), testCase.searchedInPlace);
}

INSTANTIATE_TEST_SUITE_P(Cases, DerivedFormsTest, testing::ValuesIn(derivedCases), nameOf);

}  // namespace
}  // namespace nimbrook
