#include <set>
#include <string>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/Uuid.h"

namespace nimbrook {
namespace {


const std::string canonical = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";

struct ParseCase {
    std::string name;
    std::string text;
    bool accepted;
};

const ParseCase parseCases[] = {
    {"upperCase", canonical, true},
    {"mixedCase", "e621E1f8-C36c-495A-93fC-0c247A3e6E5f", true},
    {"noHyphens", "E621E1F8C36C495A93FC0C247A3E6E5F", false},
    {"hyphenMoved", "E621E1F-8C36C-495A-93FC-0C247A3E6E5F", false},
    {"nonHexDigit", "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", false},
    {"braced", "{" + canonical + "}", false},
    {"signInGroup", "+621E1F8-C36C-495A-93FC-0C247A3E6E5F", false},
    {"fullWidthDigit",
     "\xEF\xBC\x91"
     "21E1F8-C36C-495A-93FC-0C247A3E6",
     false},
};

class UuidParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(UuidParseTest, acceptsOnlyTheCanonicalFormInEitherCase) {
    const std::optional<Uuid> parsed = Uuid::parse(GetParam().text);
    ASSERT_EQ(parsed.has_value(), GetParam().accepted);
    if (parsed) {
        EXPECT_EQ(parsed->text(), canonical);
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
