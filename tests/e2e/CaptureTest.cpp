#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

const std::string tiffBytes("II*\0\x08\0\0\0\0\xff\x01\xfe binary \x80\x81", 22);

// One clipboard offer and the type of the entry it must leave, which holds the offer's text,
// or for an image its bytes in a file. An empty type means no new entry and no image file.
// Which offer gives which entry is ClipboardMonitorTest's; these are what X carries.
struct Offer {
    std::string name;
    std::vector<Flavour> flavours;
    std::string type;
};

// In this order in one run, so the history must also come out newest first. The offer that
// leaves nothing sits between recorded ones, whose arrival shows that it was looked at.
const std::vector<Offer> offers{
    {"ChineseTextWithBlankLines", {{"UTF8_STRING", "\n\n 萤川 剪贴板 ✓ \n"}}, "plainText"},
    {"Png", {{"image/png", pngBytes(2048)}}, "image"},
    {"SecretText", {{"text/plain", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}}, ""},
    {"TiffOnly", {{"image/tiff", tiffBytes}}, "image"},
    // Past the size that X transfers in one piece.
    {"HugeText", {{"UTF8_STRING", std::string(1 << 20, 'x') + "end"}}, "plainText"},
    {"HugeImage", {{"image/png", pngBytes(1 << 20)}}, "image"},
};

using CaptureTest = NimbrookFixture;

TEST_F(CaptureTest, RecordsEachOfferAsItWasNewestFirstAndNamesNoApplication) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    std::vector<const Offer*> recorded;
    for (const auto& offer : offers) {
        SCOPED_TRACE(offer.name);
        if (offer.flavours.size() == 1 && !offer.type.empty()) {
            copyWithXclip(offer.flavours.front());
        } else {
            ASSERT_TRUE(served(copyWithOwner(offer.flavours), offer.flavours.back().first));
        }
        if (!offer.type.empty()) {
            recorded.push_back(&offer);
        }
        ASSERT_TRUE(holds(recorded.size()));
    }
    const auto log = readFile(root_ / "nimbrook.log");
    EXPECT_NE(log.find("[Nimbrook] clipboard: X11 (the CLIPBOARD selection of display :"),
              std::string::npos)
        << log;
    for (const auto& file : std::filesystem::directory_iterator(dataFolder())) {
        if (file.is_regular_file()) {
            EXPECT_EQ(file.status().permissions(), std::filesystem::perms(0600)) << file.path();
        }
    }
    const auto entries = *history();
    ASSERT_EQ(entries.size(), recorded.size());
    std::size_t images = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Offer& offer = *recorded[recorded.size() - 1 - i];
        SCOPED_TRACE(offer.name);
        EXPECT_EQ(entries[i].contentType, offer.type);
        EXPECT_FALSE(entries[i].sourceApp) << "no window was active";
        if (offer.type == "image") {
            ++images;
            // Its name and mode are FileImageStoreTest's.
            EXPECT_EQ(std::filesystem::path(entries[i].content).parent_path(), imageFolder());
            EXPECT_TRUE(readFile(entries[i].content) == offer.flavours.front().second)
                << "image bytes differ";
        } else {
            EXPECT_EQ(entries[i].content, offer.flavours.front().second);
        }
    }
    std::error_code error;
    std::filesystem::directory_iterator files(imageFolder(), error);
    EXPECT_EQ(static_cast<std::size_t>(std::distance(files, {})), images);

    // The program's own copy of the oldest reaches other programs and is not recorded again.
    ASSERT_EQ(nimbrook({"copy", std::to_string(entries.size())}).status, 0);
    EXPECT_TRUE(eventually([&] {
        return output({"/usr/bin/xclip", "-selection", "clipboard", "-out"}) ==
               entries.back().content;
    }));
    copyWithXclip({"UTF8_STRING", "after the copy back"});
    ASSERT_TRUE(newestIs("after the copy back"));
    EXPECT_EQ(history()->size(), entries.size() + 1);
    EXPECT_EQ(history()->back().content, entries.back().content) << "the copy back was recorded";

    // Ctrl+Comma in the panel brings the settings window to the front, where a program
    // without a window (xclip) then copies; its legacy title is readable by old tools too.
    ASSERT_EQ(nimbrook({}).status, 0);
    std::string activeWindow;
    const auto activeProperty = [&](const char* name) {
        return output({"/usr/bin/xprop", "-id", activeWindow, name}).value_or("");
    };
    ASSERT_TRUE(eventually([&] {
        output({"/usr/bin/xdotool", "key", "ctrl+comma"});
        activeWindow = output({"/usr/bin/xdotool", "getactivewindow"}).value_or("");
        activeWindow = activeWindow.substr(0, activeWindow.find('\n'));
        return !activeWindow.empty() &&
               activeProperty("_NET_WM_NAME").find("\"设置\"") != std::string::npos;
    })) << "the settings window did not come to the front";
    EXPECT_NE(activeProperty("WM_NAME").find("\"设置\""), std::string::npos)
        << activeProperty("WM_NAME");
    copyWithXclip({"UTF8_STRING", "copied by a script"});
    ASSERT_TRUE(newestIs("copied by a script"));
    EXPECT_EQ(history()->front().sourceApp, std::nullopt) << "the own window named an application";
}

}  // namespace
}  // namespace nimbrook::e2e
