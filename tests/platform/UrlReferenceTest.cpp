#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/UrlReference.h"

namespace nimbrook {
namespace {

struct UrlCase {
    std::string name;
    std::string text;
    bool accepted = false;
    std::string scheme;
    std::optional<std::string> host;
};

const std::vector<UrlCase> urlCases = {
    {"PortDropped", "https://example.com:8080/x", true, "https", "example.com"},
    {"UserInformationDropped", "http://user:pw@example.com/", true, "http", "example.com"},
    {"SchemeAsWritten", "HTTP://EXAMPLE.COM", true, "HTTP", "EXAMPLE.COM"},
    {"TelephoneHasNoHost", "tel:123", true, "tel", std::nullopt},
    {"EmptyHostIsNone", "file:///tmp/x", true, "file", std::nullopt},
    {"Ipv6WithoutBrackets", "http://[::1]:80/", true, "http", "::1"},
    {"SchemeRelative", "//example.com/x", true, "", "example.com"},
    {"RelativePath", "docs/a.txt", true, "", std::nullopt},
    {"Empty", "", false, "", std::nullopt},
    {"SpaceInHost", "http://exa mple.com", false, "", std::nullopt},
    {"NonAsciiHost", "http://例子.cn", false, "", std::nullopt},
    {"LineBreak", "https://a.cn\nhttps://b.cn", false, "", std::nullopt},
    {"EmbeddedNul", std::string("http://x\0y", 10), false, "", std::nullopt},
    {"InvalidUtf8", "http://x/\xFF", false, "", std::nullopt},
};

class UrlReferenceTest : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlReferenceTest, parsesWholeReferences) {
    const UrlCase& c = GetParam();
    const std::optional<UrlReference> reference = UrlReference::parse(c.text);
    ASSERT_EQ(reference.has_value(), c.accepted);
    if (reference) {
        EXPECT_EQ(reference->scheme, c.scheme);
        EXPECT_EQ(reference->host, c.host);
    }
}

INSTANTIATE_TEST_SUITE_P(UrlReference, UrlReferenceTest, testing::ValuesIn(urlCases), nameOf);

}  // namespace
}  // namespace nimbrook
