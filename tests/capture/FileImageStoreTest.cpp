#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/FileImageStore.h"
#include "support/DifferentialTexts.h"
#include "support/Files.h"
#include "support/TemporaryFolder.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;

const Timestamp atSecond = Timestamp::fromUnixSeconds(1733400000.7);

fs::path privateDirectory(const fs::path& path) {
    fs::create_directory(path);
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

class FileImageStoreTest : public testing::Test {
protected:
    TemporaryFolder temporary_;
    fs::path root_ = temporary_.path();
    fs::path folder_ = root_ / "com.quolla.nimbrook-test";
};

// Names go by the whole second, with a suffix rather than over an earlier file; the bytes,
// more than one write's worth, land unchanged in a file only this user can read.
TEST_F(FileImageStoreTest, WritesPrivateFilesNamedBySecondWithoutOverwriting) {
    const std::string bytes = repeated(std::string("\x89PNG\0\xff\x07", 7), 10000);
    const struct {
        Timestamp time;
        std::string content;
        std::string fileName;
    } writes[] = {
        {atSecond, bytes, "clipboard_1733400000.png"},
        {atSecond, "second", "clipboard_1733400000-1.png"},
        {atSecond, "third", "clipboard_1733400000-2.png"},
        {Timestamp::fromUnixSeconds(1733400001.0), "next", "clipboard_1733400001.png"},
        {Timestamp::fromUnixSeconds(-5.5), "before 1970", "clipboard_0.png"},
    };
    FileImageStore store(folder_);
    for (const auto& write : writes) {
        const auto path = store.store(write.content, write.time);
        ASSERT_TRUE(path);
        EXPECT_EQ(*path, (folder_ / write.fileName).string());
        EXPECT_EQ(modeOf(*path), 0600u);
    }
    for (const auto& write : writes) {
        EXPECT_TRUE(readFile(folder_ / write.fileName) == write.content) << write.fileName;
    }
    EXPECT_EQ(modeOf(folder_), 0700u);
}

TEST_F(FileImageStoreTest, PlantedSymlinkAtFileNameIsNotFollowed) {
    privateDirectory(folder_);
    const fs::path victim = root_ / "victim";
    writeFile(victim, "keep");
    fs::create_symlink(victim, folder_ / "clipboard_1733400000.png");
    fs::create_symlink(root_ / "nowhere", folder_ / "clipboard_1733400000-1.png");

    const auto path = FileImageStore(folder_).store("image", atSecond);
    ASSERT_TRUE(path);
    EXPECT_EQ(fs::path(*path).filename(), "clipboard_1733400000-2.png");
    EXPECT_EQ(readFile(victim), "keep");
    EXPECT_FALSE(fs::exists(root_ / "nowhere"));
}

// Something other than a private directory of this user where the folder should be.
TEST_F(FileImageStoreTest, FolderThatIsALinkOrAFileIsRefused) {
    fs::create_directory_symlink(privateDirectory(root_ / "elsewhere"), root_ / "link");
    writeFile(root_ / "file", "x");
    for (const char* name : {"link", "file"}) {
        EXPECT_EQ(FileImageStore(root_ / name).store("image", atSecond), std::nullopt) << name;
    }
    EXPECT_TRUE(fs::is_empty(root_ / "elsewhere"));
}

TEST_F(FileImageStoreTest, WidenedFolderIsMadePrivateAgainAndUsed) {
    fs::permissions(privateDirectory(folder_), fs::perms::all, fs::perm_options::add);
    EXPECT_TRUE(FileImageStore(folder_).store("image", atSecond));
    EXPECT_EQ(modeOf(folder_), 0700u);
}

TEST_F(FileImageStoreTest, FolderOwnedBySomeoneElseIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can hand a folder to another user";
    }
    ASSERT_EQ(::chown(privateDirectory(folder_).c_str(), 65534, 65534), 0);
    FileImageStore store(folder_);
    EXPECT_EQ(store.store("image", atSecond), std::nullopt);
    EXPECT_TRUE(fs::is_empty(folder_));
    writeFile(folder_ / "clipboard_1.png", "theirs");
    store.removeAllBut({});
    EXPECT_TRUE(fs::exists(folder_ / "clipboard_1.png"));
    EXPECT_EQ(store.totalBytes(), 0u);
}

// A file size limit makes the write fail after the first bytes, like a full disk.
TEST_F(FileImageStoreTest, WriteFailingHalfwayLeavesNoPartialFile) {
    std::optional<std::string> path;
    withFileSizeLimit(
        4096, [&] { path = FileImageStore(folder_).store(std::string(100000, 'x'), atSecond); });
    EXPECT_EQ(path, std::nullopt);
    EXPECT_TRUE(fs::is_empty(folder_));
}

// The folder as a user may find it: the program's files, files of other names, and links and
// folders under its names; what each removal leaves, and the bytes the folder then takes.
TEST_F(FileImageStoreTest, RemovesOnlyRegularFilesOfItsOwnNaming) {
    using Names = ImageStore::Names;
    const struct {
        std::string name;
        std::function<void(FileImageStore&)> removal;
        std::string folder;
        Names left;
        std::uint64_t bytes;
    } cases[] = {
        {"AllButTheNamed",
         [](FileImageStore& store) { store.removeAllBut({"clipboard_200.png"}); },
         "com.quolla.nimbrook-test",
         {"clipboard_200.png", "notes.txt", "clipboard_400.png.bak", "clipboard_abc.png",
          "clipboard_500.png", "clipboard_600.png"},
         2 + 4 + 5 + 6},
        {"TheNamed",
         [](FileImageStore& store) {
             store.remove({"clipboard_100.png", "clipboard_300-1.png", "notes.txt",
                           "clipboard_500.png", "clipboard_600.png", "../victim"});
         },
         "com.quolla.nimbrook-test",
         {"clipboard_200.png", "notes.txt", "clipboard_400.png.bak", "clipboard_abc.png",
          "clipboard_500.png", "clipboard_600.png"},
         2 + 4 + 5 + 6},
        {"NothingThroughALinkedFolder",
         [](FileImageStore& store) { store.removeAllBut({}); },
         "link",
         {"clipboard_100.png", "clipboard_200.png", "clipboard_300-1.png", "notes.txt",
          "clipboard_400.png.bak", "clipboard_abc.png", "clipboard_500.png", "clipboard_600.png"},
         0},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        fs::remove_all(folder_);
        fs::remove(root_ / "link");
        privateDirectory(folder_);
        fs::create_directory_symlink(folder_, root_ / "link");
        writeFile(root_ / "victim", "keep");
        const std::pair<const char*, std::size_t> files[] = {
            {"clipboard_100.png", 1}, {"clipboard_200.png", 2},     {"clipboard_300-1.png", 3},
            {"notes.txt", 4},         {"clipboard_400.png.bak", 5}, {"clipboard_abc.png", 6}};
        for (const auto& [name, size] : files) {
            writeFile(folder_ / name, std::string(size, 'x'));
        }
        fs::create_symlink(root_ / "victim", folder_ / "clipboard_500.png");
        fs::create_directory(folder_ / "clipboard_600.png");

        FileImageStore store(root_ / testCase.folder);
        testCase.removal(store);
        Names left;
        for (const auto& file : fs::directory_iterator(folder_)) {
            left.insert(file.path().filename().string());
        }
        EXPECT_EQ(left, testCase.left);
        EXPECT_EQ(store.totalBytes(), testCase.bytes);
        EXPECT_EQ(readFile(root_ / "victim"), "keep");
    }
}

}  // namespace
}  // namespace nimbrook
