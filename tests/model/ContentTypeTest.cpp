#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/ContentType.h"

namespace nimbrook {
namespace {

// The raw values are what the history file stores; the labels are what search matches.
TEST(ContentTypeTest, rawValuesAndLabelsInDeclarationOrderReadBack) {
    std::vector<std::pair<std::string, std::string>> names;
    for (const ContentType type : allContentTypes) {
        names.emplace_back(rawValue(type), searchLabel(type));
        EXPECT_EQ(contentTypeFromRawValue(rawValue(type)), type);
    }
    EXPECT_EQ(names, (std::vector<std::pair<std::string, std::string>>{{"json", "JSON"},
                                                                       {"code", "Code"},
                                                                       {"url", "URL"},
                                                                       {"markdown", "Markdown"},
                                                                       {"plainText", "Text"},
                                                                       {"image", "Image"}}));
}

TEST(ContentTypeTest, anyOtherTextIsNoType) {
    for (const std::string& raw :
         std::vector<std::string>{"PlainText", "text", "", std::string("url\0", 4)}) {
        EXPECT_EQ(contentTypeFromRawValue(raw), std::nullopt) << raw;
    }
}

}  // namespace
}  // namespace nimbrook
