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

// A reader decodes the URL back to the very bytes of the name.
TEST(PathText, fileUrlEncodesAllButUnreservedCharactersAndSlashes) {
    const std::pair<std::string, std::string> cases[] = {
        {"/tmp/clipboard_1700000000-1.png", "file:///tmp/clipboard_1700000000-1.png"},
        {"/home/me/My Pictures/a b.png", "file:///home/me/My%20Pictures/a%20b.png"},
        {"/home/me/图片/萤.png", "file:///home/me/%E5%9B%BE%E7%89%87/%E8%90%A4.png"},
        {"/x/100%#1?.png", "file:///x/100%25%231%3F.png"},
        {"/x/~a_b.c+d;e=f@g:h", "file:///x/~a_b.c%2Bd%3Be%3Df%40g%3Ah"},
        {"/x/\"\r\n.png", "file:///x/%22%0D%0A.png"},
    };
    for (const auto& [path, url] : cases) {
        EXPECT_EQ(PathText::fileUrl(path), url) << path;
    }
}

}  // namespace
}  // namespace nimbrook
