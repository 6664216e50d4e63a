#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/PathText.h"

namespace nimbrook {
namespace {

struct ExtensionCase {
    std::string name;
    std::string path;
    std::string extension;
};

const std::vector<ExtensionCase> extensionCases = {
    {"FileName", "shot.PNG", "PNG"},
    {"LastDotOnly", "archive.tar.gz", "gz"},
    {"Url", "https://x.cn/a/b.jpg", "jpg"},
    {"DotInFolderOnly", "a/b.c/d", ""},
    {"TrailingSlashIgnored", "dir.png/", "png"},
    {"HiddenFile", ".bashrc", "bashrc"},
    {"EndsWithDot", "name.", ""},
    {"NoDot", "README", ""},
    {"Empty", "", ""},
};

class ExtensionTest : public testing::TestWithParam<ExtensionCase> {};

TEST_P(ExtensionTest, takesTheTextAfterTheLastDotOfTheLastComponent) {
    const ExtensionCase& c = GetParam();
    EXPECT_EQ(PathText::extension(c.path), c.extension);
}

INSTANTIATE_TEST_SUITE_P(PathText, ExtensionTest, testing::ValuesIn(extensionCases), nameOf);

}  // namespace
}  // namespace nimbrook
