#include <filesystem>
#include <string>

#include "RemoteFixture.h"

namespace nimbrook::e2e {
namespace {

namespace fs = std::filesystem;

class ImageFilesTest : public RemoteFixture {
protected:
    // Waits until `file` is gone; notes whether the history file still named it then.
    bool goneAfterTheSave(const fs::path& file) {
        return eventually([&] {
            if (fs::exists(file)) {
                return false;
            }
            for (const auto& entry : history().value_or(std::vector<HistoryEntry>{})) {
                namedWhenGone_ = namedWhenGone_ || entry.content == file.string();
            }
            return true;
        });
    }

    bool namedWhenGone_ = false;
};

// The images folder beside the history: a start removes the program's files that no entry
// names and nothing else; a PNG copied by another program lands there; a file goes once the
// history file no longer names its entry; files outside the folder are never touched.
TEST_F(ImageFilesTest, KeepsTheFilesTheHistoryNamesAndNothingElse) {
    fs::create_directories(imageFolder());
    fs::create_directories(legacyImageFolder());
    const fs::path orphan = imageFolder() / "clipboard_100.png";
    const fs::path named = imageFolder() / "clipboard_200.png";
    const fs::path foreign = imageFolder() / "notes.txt";
    const fs::path legacy = legacyImageFolder() / "clipboard_300.png";
    for (const auto& file : {orphan, named, foreign, legacy}) {
        nimbrook::writeFile(file, pngBytes(1000));
    }
    writeHistory({{named.string(), "image", std::nullopt},
                  {legacy.string(), "image", std::nullopt},
                  {"/home/me/photo.png", "image", std::nullopt}});
    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_TRUE(eventually([&] { return !fs::exists(orphan); })) << "the orphan was kept";
    for (const auto& file : {named, foreign, legacy}) {
        EXPECT_TRUE(fs::exists(file)) << file;
    }

    const std::string bytes = pngBytes(1 << 20);
    copyWithXclip({"image/png", bytes});
    ASSERT_TRUE(holds(4));
    const fs::path captured = history()->front().content;
    EXPECT_EQ(captured.parent_path(), imageFolder());
    EXPECT_TRUE(readFile(captured) == bytes) << "image bytes differ";
    EXPECT_EQ(fs::status(captured).permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(imageFolder()).permissions(), fs::perms(0700));

    ASSERT_EQ(nimbrook({"delete", "1"}).status, 0);
    EXPECT_TRUE(goneAfterTheSave(captured));
    ASSERT_EQ(nimbrook({"clear"}).status, 0);
    EXPECT_TRUE(goneAfterTheSave(named));
    EXPECT_FALSE(namedWhenGone_) << "a file went while the history file still named it";
    EXPECT_TRUE(history()->empty());
    EXPECT_TRUE(fs::exists(legacy));
    EXPECT_TRUE(fs::exists(foreign));
}

}  // namespace
}  // namespace nimbrook::e2e
