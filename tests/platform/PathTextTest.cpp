#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "platform/PathText.h"

namespace nimbrook {
namespace {

TEST(PathText, extensionIsWhatFollowsTheLastDotOfTheLastComponent) {
    const std::pair<std::string, std::string> cases[] = {
        {"shot.PNG", "PNG"}, {"archive.tar.gz", "gz"}, {"https://x.cn/a/b.jpg", "jpg"},
        {"a/b.c/d", ""},     {"dir.png/", "png"},      {".bashrc", "bashrc"},
        {"name.", ""},       {"README", ""},           {"", ""},
    };
    for (const auto& [path, extension] : cases) {
        EXPECT_EQ(PathText::extension(path), extension) << path;
    }
}

}  // namespace
}  // namespace nimbrook
