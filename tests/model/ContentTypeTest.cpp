#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/ContentType.h"

namespace nimbrook {
namespace {

// The raw values are what the history file stores; the labels are what search matches.
TEST(ContentTypeTest, rawValuesAndLabelsReadBackAndAnyOtherTextIsNoType) {
    std::string names;
    for (const ContentType type : allContentTypes) {
        names += std::string(rawValue(type)) + ":" + std::string(searchLabel(type)) + " ";
        EXPECT_EQ(contentTypeFromRawValue(rawValue(type)), type);
    }
    EXPECT_EQ(names, "json:JSON code:Code url:URL markdown:Markdown plainText:Text image:Image ");
    for (const std::string& raw :
         std::vector<std::string>{"PlainText", "text", "", std::string("url\0", 4)}) {
        EXPECT_EQ(contentTypeFromRawValue(raw), std::nullopt) << raw;
    }
}

}  // namespace
}  // namespace nimbrook
