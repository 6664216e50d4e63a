#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/ContentType.h"

namespace nimbrook {
namespace {

using nimbrook::PrintTo;  // found by the printer through the cases' namespace

struct NameCase {
    std::string name;
    ContentType type;
    std::string raw;
    std::string label;
};

const NameCase nameCases[] = {
    {"json", ContentType::json, "json", "JSON"},
    {"code", ContentType::code, "code", "Code"},
    {"url", ContentType::url, "url", "URL"},
    {"markdown", ContentType::markdown, "markdown", "Markdown"},
    {"plainText", ContentType::plainText, "plainText", "Text"},
    {"image", ContentType::image, "image", "Image"},
};

class ContentTypeNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ContentTypeNameTest, rawValueAndLabelRoundTrip) {
    const NameCase& testCase = GetParam();
    EXPECT_EQ(rawValue(testCase.type), testCase.raw);
    EXPECT_EQ(searchLabel(testCase.type), testCase.label);
    EXPECT_EQ(contentTypeFromRawValue(testCase.raw), testCase.type);
}

INSTANTIATE_TEST_SUITE_P(Cases, ContentTypeNameTest, testing::ValuesIn(nameCases), nameOf);

struct RejectCase {
    std::string name;
    std::string raw;
};

const RejectCase rejectCases[] = {
    {"capitalised", "PlainText"}, {"label", "text"},       {"empty", ""},
    {"upperLabel", "JSON"},       {"padded", " json"},     {"trailingNul", std::string("url\0", 4)},
    {"prefix", "imag"},           {"longer", "markdowns"},
};

class ContentTypeRejectTest : public testing::TestWithParam<RejectCase> {};

TEST_P(ContentTypeRejectTest, anyOtherTextIsNoType) {
    EXPECT_EQ(contentTypeFromRawValue(GetParam().raw), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Cases, ContentTypeRejectTest, testing::ValuesIn(rejectCases), nameOf);

TEST(ContentTypeTest, allCasesInDeclarationOrder) {
    std::vector<std::string> raws;
    for (const ContentType type : allContentTypes) {
        raws.emplace_back(rawValue(type));
    }
    EXPECT_EQ(raws,
              (std::vector<std::string>{"json", "code", "url", "markdown", "plainText", "image"}));
}

}  // namespace
}  // namespace nimbrook
