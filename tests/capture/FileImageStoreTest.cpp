#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileImageStore.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;

const Timestamp atSecond = Timestamp::fromUnixSeconds(1733400000.7);

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mode_t permissions(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0);
    return status.st_mode & 07777;
}

class FileImageStoreTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "imagestore-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        folder_ = root_ / "com.quolla.nimbrook-test";
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
    fs::path folder_;
};

TEST_F(FileImageStoreTest, CreatesPrivateFolderAndNamesBySecond) {
    FileImageStore store(folder_);
    const auto path = store.store("bytes", atSecond);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, (folder_ / "clipboard_1733400000.png").string());
    EXPECT_EQ(permissions(folder_), 0700u);
    EXPECT_EQ(permissions(*path), 0600u);
}

TEST_F(FileImageStoreTest, SameSecondNeverWritesOverAnEarlierFile) {
    FileImageStore store(folder_);
    const std::vector<std::string> contents = {"first", "second", "third"};
    std::vector<std::string> names;
    for (const std::string& content : contents) {
        const auto path = store.store(content, atSecond);
        ASSERT_TRUE(path);
        names.push_back(fs::path(*path).filename().string());
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"clipboard_1733400000.png", "clipboard_1733400000-1.png",
                                        "clipboard_1733400000-2.png"}));
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(readFile(folder_ / names[i]), contents[i]);
    }
    EXPECT_EQ(fs::path(*store.store("next", Timestamp::fromUnixSeconds(1733400001.0))).filename(),
              "clipboard_1733400001.png");
}

TEST_F(FileImageStoreTest, BytesAreWrittenUnchanged) {
    std::string bytes(70000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    FileImageStore store(folder_);
    const auto path = store.store(bytes, atSecond);
    ASSERT_TRUE(path);
    EXPECT_EQ(readFile(*path), bytes);
}

TEST_F(FileImageStoreTest, PlantedSymlinkAtFileNameIsNotFollowed) {
    ASSERT_TRUE(fs::create_directory(folder_));
    fs::permissions(folder_, fs::perms::owner_all);
    const fs::path victim = root_ / "victim";
    std::ofstream(victim) << "keep";
    fs::create_symlink(victim, folder_ / "clipboard_1733400000.png");
    fs::create_symlink(root_ / "nowhere", folder_ / "clipboard_1733400000-1.png");

    const auto path = FileImageStore(folder_).store("image", atSecond);
    ASSERT_TRUE(path);
    EXPECT_EQ(fs::path(*path).filename(), "clipboard_1733400000-2.png");
    EXPECT_EQ(readFile(victim), "keep");
    EXPECT_FALSE(fs::exists(root_ / "nowhere"));
}

// Each case leaves something other than a private directory of this user at the folder path.
struct RefusedFolderCase {
    std::string name;
    void (*plant)(const fs::path& root, const fs::path& folder);
};

const std::vector<RefusedFolderCase> refusedFolderCases = {
    {"SymlinkToPrivateDirectory",
     [](const fs::path& root, const fs::path& folder) {
         fs::create_directory(root / "elsewhere");
         fs::permissions(root / "elsewhere", fs::perms::owner_all);
         fs::create_directory_symlink(root / "elsewhere", folder);
     }},
    {"DanglingSymlink",
     [](const fs::path& root, const fs::path& folder) {
         fs::create_directory_symlink(root / "elsewhere", folder);
     }},
    {"GroupReadable",
     [](const fs::path&, const fs::path& folder) {
         fs::create_directory(folder);
         fs::permissions(folder,
                         fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
     }},
    {"WorldWritable",
     [](const fs::path&, const fs::path& folder) {
         fs::create_directory(folder);
         fs::permissions(folder, fs::perms::all);
     }},
    {"RegularFile", [](const fs::path&, const fs::path& folder) { std::ofstream(folder) << "x"; }},
    {"MissingParent", [](const fs::path&, const fs::path&) {}},
};

class RefusedFolder : public FileImageStoreTest,
                      public testing::WithParamInterface<RefusedFolderCase> {};

TEST_P(RefusedFolder, StoresNothing) {
    GetParam().plant(root_, folder_);
    const fs::path folder = GetParam().name == "MissingParent" ? root_ / "gone" / "f" : folder_;
    EXPECT_EQ(FileImageStore(folder).store("image", atSecond), std::nullopt);
    if (fs::is_directory(root_ / "elsewhere")) {
        EXPECT_TRUE(fs::is_empty(root_ / "elsewhere"));
    }
    EXPECT_FALSE(fs::exists(root_ / "gone"));
}

INSTANTIATE_TEST_SUITE_P(Folders, RefusedFolder, testing::ValuesIn(refusedFolderCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(FileImageStoreTest, FolderOwnedBySomeoneElseIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can hand a folder to another user";
    }
    ASSERT_TRUE(fs::create_directory(folder_));
    fs::permissions(folder_, fs::perms::owner_all);
    ASSERT_EQ(::chown(folder_.c_str(), 65534, 65534), 0);
    EXPECT_EQ(FileImageStore(folder_).store("image", atSecond), std::nullopt);
    EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(FileImageStoreTest, WriteFailingHalfwayLeavesNoPartialFile) {
    // A file size limit makes the write fail after the first bytes, like a full disk.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto path = FileImageStore(folder_).store(std::string(100000, 'x'), atSecond);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(path, std::nullopt);
    EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(FileImageStoreTest, TimesBeforeNineteenSeventyAreNamedZero) {
    const auto path = FileImageStore(folder_).store("x", Timestamp::fromUnixSeconds(-5.5));
    ASSERT_TRUE(path);
    EXPECT_EQ(fs::path(*path).filename(), "clipboard_0.png");
}

}  // namespace
}  // namespace nimbrook
