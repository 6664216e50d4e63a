#include <string>
#include <vector>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

using Command = std::vector<std::string>;

// How another program of a desktop copies a picture and reads what the clipboard offers.
struct Route {
    std::string name;
    Desktop desktop;
    // Followed by the type to read; the text is read by the prefix alone.
    Command read;
    Command listTypes;
    // The program's own text types on that desktop, one of which a text field asks for.
    std::string textType;
};

const Route routes[] = {
    {"X11",
     Desktop::x11,
     {"/usr/bin/xclip", "-selection", "clipboard", "-out"},
     {"/usr/bin/xclip", "-selection", "clipboard", "-out", "-target", "TARGETS"},
     "UTF8_STRING"},
    {"Sway",
     Desktop::sway,
     {"/usr/bin/wl-paste", "--no-newline"},
     {"/usr/bin/wl-paste", "--list-types"},
     "text/plain;charset=utf-8"},
};

class ImageCopyTest : public NimbrookFixture, public testing::WithParamInterface<Route> {
protected:
    ImageCopyTest() : NimbrookFixture(GetParam().desktop) {}

    std::optional<std::string> read(const std::string& type = {}) {
        Command command = GetParam().read;
        if (!type.empty()) {
            command.insert(command.end(),
                           {GetParam().desktop == Desktop::x11 ? "-target" : "--type", type});
        }
        return output(command);
    }

    void copyPicture(const std::string& bytes) {
        if (GetParam().desktop == Desktop::x11) {
            copyWithXclip({"image/png", bytes});
        } else {
            ASSERT_TRUE(output(
                {"/bin/sh", "-c", "wl-copy --type image/png < " + writeFile(bytes).string()}));
        }
    }
};

// Large enough to be read off the panel's thread and to outgrow one transfer and one pipe.
TEST_P(ImageCopyTest, CopiedBackAsThePictureItsUrlAndItsPath) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const std::string png = pngBytes(3 << 20);
    ASSERT_NO_FATAL_FAILURE(copyPicture(png));
    ASSERT_TRUE(holds(1));
    const std::string path = history()->front().content;

    ASSERT_EQ(nimbrook({"copy", "1"}).status, 0);
    std::string types;
    ASSERT_TRUE(eventually([&] {
        types = output(GetParam().listTypes).value_or("");
        return types.find("text/uri-list") != std::string::npos;
    })) << types;
    for (const std::string& type : std::vector<std::string>{"image/png", GetParam().textType}) {
        EXPECT_NE(types.find(type + "\n"), std::string::npos) << type << " not in " << types;
    }
    EXPECT_TRUE(read("image/png") == png) << "the picture read back differs";
    EXPECT_EQ(read("text/uri-list"), "file://" + path + "\r\n");
    EXPECT_EQ(read(), path);

    const CommandResult image = nimbrook({"get", "1", "--image"});
    EXPECT_EQ(image.status, 0) << image.error;
    EXPECT_TRUE(image.output == png) << "get --image gave other bytes";
    // On a terminal (script gives the command one) it refuses, with a message on its own.
    const std::string onTerminal =
        output({"/bin/sh", "-c",
                "/usr/bin/script --quiet --return --command '" + std::string(NIMBROOK_PROGRAM) +
                    " get 1 --image' /dev/null; echo status $?"})
            .value_or("");
    EXPECT_NE(onTerminal.find("不把图片的字节输出到终端"), std::string::npos) << onTerminal;
    EXPECT_NE(onTerminal.find("status 1"), std::string::npos) << onTerminal;
    EXPECT_EQ(onTerminal.find("IHDR"), std::string::npos) << "bytes on the terminal";

    // The copy back left no entry of its own: the next copy is the second entry.
    if (GetParam().desktop == Desktop::x11) {
        copyWithXclip({"UTF8_STRING", "after the picture"});
    } else {
        ASSERT_TRUE(output({"/usr/bin/wl-copy", "after the picture"}));
    }
    ASSERT_TRUE(newestIs("after the picture"));
    EXPECT_EQ(history()->size(), 2u);
    EXPECT_EQ(history()->back().content, path);
}

INSTANTIATE_TEST_SUITE_P(ImageCopy, ImageCopyTest, testing::ValuesIn(routes),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace nimbrook::e2e
