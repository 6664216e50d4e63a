#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/ImageReferences.h"
#include "support/Files.h"
#include "support/TemporaryFolder.h"

namespace nimbrook {
namespace {

struct NameCase {
    std::string name;
    std::string content;
    std::string expected;
};

class NameIn : public testing::TestWithParam<NameCase> {};

TEST_P(NameIn, TakesOnlyTheStoresOwnNames) {
    EXPECT_EQ(ImageReferences::nameIn(GetParam().content), GetParam().expected);
}

const NameCase nameCases[] = {
    {"DataFolder", "/d/com.quolla.nimbrook/images/clipboard_1733400000.png",
     "clipboard_1733400000.png"},
    {"SecondOfTheSameSecond", "/tmp/com.quolla.nimbrook-0/clipboard_17-12.png",
     "clipboard_17-12.png"},
    {"BareName", "clipboard_5.png", "clipboard_5.png"},
    {"UserPhoto", "/home/me/photo.png", ""},
    {"NoSeconds", "/d/clipboard_.png", ""},
    {"NoSequence", "/d/clipboard_5-.png", ""},
    {"OtherExtension", "/d/clipboard_5.PNG", ""},
    {"Suffixed", "/d/clipboard_5.png.bak", ""},
    {"Letters", "/d/clipboard_5a.png", ""},
    {"FolderOfThatName", "/d/clipboard_5.png/", ""},
    {"TextEndingInAName", "see clipboard_5.png", ""},
    {"LongerThanAPath", std::string(5000, 'x') + "/clipboard_5.png", ""},
};

INSTANTIATE_TEST_SUITE_P(ImageReferences, NameIn, testing::ValuesIn(nameCases), nameOf);

// A history the program could not decode still tells which files it named, also across the
// pieces it is read in; a file that is not there names none.
TEST(ImageReferences, NamesInAFileThatCannotBeDecoded) {
    TemporaryFolder folder;
    const auto file = folder.path() / "clipboard_history.json.corrupt-1";
    std::string bytes =
        R"([{"content":"\/d\/images\/clipboard_1.png"},{"content":"clipboard_x.png)";
    bytes += std::string(65536 - bytes.size() - 10, ' ') + "clipboard_22-3.png\"} garbage";
    writeFile(file, bytes);
    ImageReferences::Names names{"clipboard_9.png"};
    EXPECT_TRUE(ImageReferences::addFoundIn(file, names));
    EXPECT_TRUE(ImageReferences::addFoundIn(folder.path() / "missing", names));
    EXPECT_TRUE(ImageReferences::addFoundIn(folder.path(), names));
    EXPECT_EQ(names,
              (ImageReferences::Names{"clipboard_1.png", "clipboard_22-3.png", "clipboard_9.png"}));
}

}  // namespace
}  // namespace nimbrook
