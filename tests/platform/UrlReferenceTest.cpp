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
    std::optional<std::string> scheme;
    std::optional<std::string> host = std::nullopt;
};

const std::vector<UrlCase> urlCases = {
    {"PortDropped", "https://example.com:8080/x", "https", "example.com"},
    {"UserInformationDropped", "http://user:pw@example.com/", "http", "example.com"},
    {"SchemeAsWritten", "HTTP://EXAMPLE.COM", "HTTP", "EXAMPLE.COM"},
    {"TelephoneHasNoHost", "tel:123", "tel", std::nullopt},
    {"EmptyHostIsNone", "file:///tmp/x", "file", std::nullopt},
    {"Ipv6WithoutBrackets", "http://[::1]:80/", "http", "::1"},
    {"SchemeRelative", "//example.com/x", "", "example.com"},
    {"RelativePath", "docs/a.txt", "", std::nullopt},
    {"Empty", "", std::nullopt},
    {"SpaceInHost", "http://exa mple.com", std::nullopt},
    {"NonAsciiHost", "http://例子.cn", std::nullopt},
    {"LineBreak", "https://a.cn\nhttps://b.cn", std::nullopt},
    {"EmbeddedNul", std::string("http://x\0y", 10), std::nullopt},
    {"InvalidUtf8", "http://x/\xFF", std::nullopt},
};

class UrlReferenceTest : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlReferenceTest, parsesWholeReferences) {
    const UrlCase& c = GetParam();
    const std::optional<UrlReference> reference = UrlReference::parse(c.text);
    ASSERT_EQ(reference.has_value(), c.scheme.has_value());
    if (reference) {
        EXPECT_EQ(reference->scheme, *c.scheme);
        EXPECT_EQ(reference->host, c.host);
    }
}

INSTANTIATE_TEST_SUITE_P(UrlReference, UrlReferenceTest, testing::ValuesIn(urlCases), nameOf);

}  // namespace
}  // namespace nimbrook
