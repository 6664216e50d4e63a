#include <set>
#include <string>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/Uuid.h"

namespace nimbrook {
namespace {

using nimbrook::PrintTo;  // found by the printer through the cases' namespace

struct ParseCase {
    std::string name;
    std::string text;
    std::optional<std::string> canonical;
};

const ParseCase parseCases[] = {
    {"upperCase", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"},
    {"lowerCase", "e621e1f8-c36c-495a-93fc-0c247a3e6e5f", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"},
    {"mixedCase", "e621E1f8-C36c-495A-93fC-0c247A3e6E5f", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"},
    {"allZero", "00000000-0000-0000-0000-000000000000", "00000000-0000-0000-0000-000000000000"},
    {"empty", "", std::nullopt},
    {"noHyphens", "E621E1F8C36C495A93FC0C247A3E6E5F", std::nullopt},
    {"hyphenMoved", "E621E1F-8C36C-495A-93FC-0C247A3E6E5F", std::nullopt},
    {"hyphenReplaced", "E621E1F8_C36C-495A-93FC-0C247A3E6E5F", std::nullopt},
    {"nonHexDigit", "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", std::nullopt},
    {"oneShort", "E621E1F8-C36C-495A-93FC-0C247A3E6E5", std::nullopt},
    {"oneLong", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0", std::nullopt},
    {"braced", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}", std::nullopt},
    {"padded", " E621E1F8-C36C-495A-93FC-0C247A3E6E5F", std::nullopt},
    {"signInGroup", "+621E1F8-C36C-495A-93FC-0C247A3E6E5F", std::nullopt},
    {"fullWidthDigit",
     "\xEF\xBC\x91"
     "21E1F8-C36C-495A-93FC-0C247A3E6",
     std::nullopt},
};

class UuidParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(UuidParseTest, acceptsOnlyTheCanonicalFormInEitherCase) {
    const ParseCase& testCase = GetParam();
    const std::optional<Uuid> parsed = Uuid::parse(testCase.text);
    ASSERT_EQ(parsed.has_value(), testCase.canonical.has_value());
    if (parsed) {
        EXPECT_EQ(parsed->text(), *testCase.canonical);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, UuidParseTest, testing::ValuesIn(parseCases), nameOf);

TEST(UuidTest, randomIdentifiersAreVersionFourDistinctAndReadBack) {
    std::set<std::string> seen;
    for (int index = 0; index < 2000; ++index) {
        const Uuid id = Uuid::random();
        const std::string text = id.text();
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;
        EXPECT_EQ(Uuid::parse(text), id);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 2000u);
}

}  // namespace
}  // namespace nimbrook
