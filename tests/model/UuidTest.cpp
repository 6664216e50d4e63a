#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Uuid.h"

namespace nimbrook {
namespace {

const std::string canonical = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";

TEST(UuidTest, parseAcceptsOnlyTheCanonicalFormInEitherCase) {
    EXPECT_EQ(Uuid::parse(canonical).value().text(), canonical);
    EXPECT_EQ(Uuid::parse("e621E1f8-C36c-495A-93fC-0c247A3e6E5f").value().text(), canonical);
    for (const std::string& text : std::vector<std::string>{
             "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F-8C36C-495A-93FC-0C247A3E6E5F",
             "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", "{" + canonical + "}",
             "+621E1F8-C36C-495A-93FC-0C247A3E6E5F",
             "\xEF\xBC\x91"
             "21E1F8-C36C-495A-93FC-0C247A3E6"}) {
        EXPECT_EQ(Uuid::parse(text), std::nullopt) << text;
    }
}

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
