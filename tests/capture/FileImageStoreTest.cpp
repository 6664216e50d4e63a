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

fs::path privateDirectory(const fs::path& path) {
    fs::create_directory(path);
    fs::permissions(path, fs::perms::owner_all);
    return path;
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

// Names go by the whole second, with a suffix rather than over an earlier file; the bytes,
// more than one write's worth, land unchanged in a file only this user can read.
TEST_F(FileImageStoreTest, WritesPrivateFilesNamedBySecondWithoutOverwriting) {
    std::string bytes(70000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
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
        EXPECT_EQ(permissions(*path), 0600u);
    }
    for (const auto& write : writes) {
        EXPECT_TRUE(readFile(folder_ / write.fileName) == write.content) << write.fileName;
    }
    EXPECT_EQ(permissions(folder_), 0700u);
}

TEST_F(FileImageStoreTest, PlantedSymlinkAtFileNameIsNotFollowed) {
    privateDirectory(folder_);
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

// Each case leaves something other than a private directory of this user where the folder
// should be, and returns the folder path to use.
struct RefusedFolderCase {
    std::string name;
    fs::path (*plant)(const fs::path& root);
};

const std::vector<RefusedFolderCase> refusedFolderCases = {
    {"SymlinkToPrivateDirectory",
     [](const fs::path& root) {
         fs::create_directory_symlink(privateDirectory(root / "elsewhere"), root / "f");
         return root / "f";
     }},
    {"RegularFile",
     [](const fs::path& root) {
         std::ofstream(root / "f") << "x";
         return root / "f";
     }},
};

class RefusedFolder : public FileImageStoreTest,
                      public testing::WithParamInterface<RefusedFolderCase> {};

TEST_P(RefusedFolder, StoresNothing) {
    const fs::path folder = GetParam().plant(root_);
    EXPECT_EQ(FileImageStore(folder).store("image", atSecond), std::nullopt);
    if (fs::is_directory(root_ / "elsewhere")) {
        EXPECT_TRUE(fs::is_empty(root_ / "elsewhere"));
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, RefusedFolder, testing::ValuesIn(refusedFolderCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(FileImageStoreTest, WidenedFolderIsMadePrivateAgainAndUsed) {
    fs::permissions(privateDirectory(folder_), fs::perms::all, fs::perm_options::add);
    EXPECT_TRUE(FileImageStore(folder_).store("image", atSecond));
    EXPECT_EQ(permissions(folder_), 0700u);
}

TEST_F(FileImageStoreTest, FolderOwnedBySomeoneElseIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can hand a folder to another user";
    }
    ASSERT_EQ(::chown(privateDirectory(folder_).c_str(), 65534, 65534), 0);
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

}  // namespace
}  // namespace nimbrook
