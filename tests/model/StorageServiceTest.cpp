#include <functional>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "NamedCase.h"
#include "model/HistoryCodec.h"
#include "model/StorageService.h"
#include "support/Files.h"
#include "support/TemporaryFolder.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;

const std::string errorPrefix = "[StorageService] save error: ";
const std::string movedPrefix = "[StorageService] moved undecodable history to ";
const std::string aside = "clipboard_history.json.corrupt-";

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::vector<ClipboardItem> history(std::size_t count) {
    std::vector<ClipboardItem> items;
    for (std::size_t index = 0; index < count; ++index) {
        items.emplace_back(Uuid::random(), "条目 " + std::to_string(index), ContentType::plainText,
                           Timestamp{786000000.25 - static_cast<double>(index)},
                           index % 2 == 0 ? std::optional<std::string>("终端") : std::nullopt);
    }
    return items;
}

// The codec writes every field exactly, so equal bytes mean equal histories.
std::string bytesOf(const std::vector<ClipboardItem>& items) {
    return HistoryCodec::encode(items);
}

class StorageServiceTest : public testing::Test {
protected:
    StorageService makeStorage() {
        return StorageService(
            folder_, [this](const std::string& line) { lines_.push_back(line); },
            [this] { return seconds_; });
    }
    fs::path file() const { return folder_ / "clipboard_history.json"; }
    // Loads an undecodable file and saves, which moves it aside; the path it was moved to.
    fs::path moveAsideOnce(const std::string& bytes = "bad") {
        writeFile(file(), bytes);
        StorageService storage = makeStorage();
        storage.load();
        lines_.clear();
        storage.save({});
        return lines_.size() == 1 ? lines_[0].substr(movedPrefix.size()) : "";
    }

    TemporaryFolder root_;
    fs::path folder_ = root_.path() / "share" / "com.quolla.nimbrook";
    std::vector<std::string> lines_;
    long long seconds_ = 1'800'000'000;
};

// The first entry is larger than one write can take.
TEST_F(StorageServiceTest, loadKeepsALongerFileAndSaveWritesTheNewestFiveHundred) {
    std::vector<ClipboardItem> items = history(600);
    items.insert(items.begin(), ClipboardItem(Uuid::random(), std::string(4 << 20, 'x') + "尾",
                                              ContentType::code, Timestamp{1}, std::nullopt));
    fs::create_directories(folder_);
    writeFile(file(), bytesOf(items));
    StorageService storage = makeStorage();
    EXPECT_EQ(bytesOf(storage.load()), bytesOf(items));
    storage.save(items);
    const std::vector<ClipboardItem> newest(items.begin(), items.begin() + 500);
    EXPECT_EQ(readFile(file()), bytesOf(newest));
    EXPECT_EQ(bytesOf(makeStorage().load()), bytesOf(newest));
}

// Loaded, the pinned entries come first; saved, every entry is back where the file had it, and
// an entry that is not pinned is written as a file without pins holds it.
TEST_F(StorageServiceTest, aFileWithOrWithoutPinsIsWrittenBackByteForByte) {
    for (const std::vector<std::size_t>& pins : {std::vector<std::size_t>{}, {1, 3}}) {
        std::vector<ClipboardItem> items = history(5);
        for (const std::size_t index : pins) {
            items[index] = items[index].withPin(Timestamp{});
        }
        fs::create_directories(folder_);
        writeFile(file(), bytesOf(items));
        StorageService storage = makeStorage();
        const std::vector<ClipboardItem> loaded = storage.load();
        ASSERT_EQ(loaded.size(), items.size());
        for (std::size_t shown = 0; shown < pins.size(); ++shown) {
            EXPECT_EQ(loaded[shown].id(), items[pins[shown]].id());
            EXPECT_TRUE(loaded[shown].isPinned());
        }
        EXPECT_FALSE(loaded[pins.size()].isPinned());
        storage.save(loaded);
        EXPECT_EQ(readFile(file()), bytesOf(items));
    }
}

TEST_F(StorageServiceTest, missingFileLoadsEmptyAndSavesPrivatelyWithNothingMovedAside) {
    const mode_t previousMask = ::umask(0);
    StorageService storage = makeStorage();
    EXPECT_TRUE(storage.load().empty());
    EXPECT_EQ(modeOf(folder_), 0700u);
    storage.save(history(1));
    ::umask(previousMask);
    EXPECT_EQ(modeOf(folder_.parent_path()), 0700u);
    EXPECT_EQ(modeOf(file()), 0600u);
    EXPECT_EQ(namesIn(folder_), std::set<std::string>{"clipboard_history.json"});
}

// Loading removes the temporary files an interrupted save left, and nothing else.
TEST_F(StorageServiceTest, existingFolderKeepsItsModeAndOnlyLeftoverTemporaryFilesGo) {
    fs::create_directories(folder_);
    ::chmod(folder_.c_str(), 0750);
    writeFile(file(), "[]");
    ::chmod(file().c_str(), 0644);
    for (const char* name : {"clipboard_history.json.tmp-a1B2c3",
                             "clipboard_history.json.tmp-notes.txt", "other.tmp-a1B2c3"}) {
        writeFile(folder_ / name, "[");
    }
    StorageService storage = makeStorage();
    storage.load();
    EXPECT_EQ(namesIn(folder_),
              (std::set<std::string>{"clipboard_history.json",
                                     "clipboard_history.json.tmp-notes.txt", "other.tmp-a1B2c3"}));
    storage.save(history(1));
    EXPECT_EQ(modeOf(folder_), 0750u);
    EXPECT_EQ(modeOf(file()), 0600u);
}

// Both ways work as root too, which ignores permissions: a folder where the file goes, and a
// full disk.
TEST_F(StorageServiceTest, failedSaveReportsOneLineAndLeavesTheFolderAsItWas) {
    const auto saveFails = [this](rlim_t fileSizeLimit) {
        const std::set<std::string> before = namesIn(folder_);
        const std::string previous = readFile(file());
        lines_.clear();
        withFileSizeLimit(fileSizeLimit, [this] { makeStorage().save(history(500)); });
        ASSERT_EQ(lines_.size(), 1u);
        EXPECT_TRUE(lines_[0].starts_with(errorPrefix)) << lines_[0];
        EXPECT_GT(lines_[0].size(), errorPrefix.size());
        EXPECT_EQ(namesIn(folder_), before) << "no temporary file may be left behind";
        EXPECT_EQ(readFile(file()), previous);
    };
    fs::create_directories(file() / "inside");
    saveFails(RLIM_INFINITY);
    fs::remove_all(file());
    writeFile(file(), "[]");
    saveFails(4096);
}

// Each puts something at the file's place that cannot be loaded.
struct HostileCase {
    std::string name;
    std::function<void(const fs::path& file)> plant;
};

const HostileCase hostileCases[] = {
    {"emptyFile", [](const fs::path& file) { writeFile(file, ""); }},
    {"truncated",
     [](const fs::path& file) { writeFile(file, bytesOf(history(3)).substr(0, 150)); }},
    {"nulAfterTheArray",
     [](const fs::path& file) { writeFile(file, std::string("[]\0", 3) + bytesOf(history(1))); }},
    {"folder", [](const fs::path& file) { fs::create_directories(file / "x"); }},
    {"fifo", [](const fs::path& file) { ::mkfifo(file.c_str(), 0600); }},
    {"danglingSymlink",
     [](const fs::path& file) { fs::create_symlink(file.parent_path() / "nowhere", file); }},
};

class HostileFileTest : public StorageServiceTest,
                        public testing::WithParamInterface<HostileCase> {};

TEST_P(HostileFileTest, loadsEmptyAndIsMovedAsideBeforeTheNextSave) {
    fs::create_directories(folder_);
    GetParam().plant(file());
    const std::string original = readFile(file());

    StorageService storage = makeStorage();
    EXPECT_TRUE(storage.load().empty());
    EXPECT_TRUE(fs::exists(fs::symlink_status(file()))) << "loading never touches the file";

    const std::vector<ClipboardItem> items = history(2);
    storage.save(items);
    ASSERT_EQ(lines_.size(), 1u);
    ASSERT_TRUE(lines_[0].starts_with(movedPrefix)) << lines_[0];
    const fs::path moved = lines_[0].substr(movedPrefix.size());
    EXPECT_TRUE(moved.string().starts_with((folder_ / aside).string())) << moved;
    EXPECT_TRUE(fs::exists(fs::symlink_status(moved)));
    EXPECT_EQ(readFile(moved), original);
    EXPECT_EQ(readFile(file()), bytesOf(items));

    storage.save(items);
    EXPECT_EQ(lines_.size(), 1u) << "moved aside once only";
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileFileTest, testing::ValuesIn(hostileCases), nameOf);

// Moves within one second are told apart by their sequence; what is not a file under such a
// name is someone else's and stays.
TEST_F(StorageServiceTest, keepsTheFiveLatestUndecodableFilesAndNothingElseGoes) {
    fs::create_directories(folder_);
    writeFile(folder_ / (aside + "100"), "old");
    writeFile(folder_ / (aside + "notes"), "mine");
    fs::create_directory(folder_ / (aside + "101"));
    writeFile(folder_ / (aside + "101") / "photo.png", "mine");
    std::vector<fs::path> moved;
    for (int index = 0; index < 7; ++index) {
        moved.push_back(moveAsideOnce("bad" + std::to_string(index)));
    }
    std::set<std::string> expected{"clipboard_history.json", aside + "notes", aside + "101"};
    for (int index = 2; index < 7; ++index) {
        expected.insert(moved[index].filename().string());
        EXPECT_EQ(readFile(moved[index]), "bad" + std::to_string(index));
    }
    EXPECT_EQ(namesIn(folder_), expected);
    EXPECT_EQ(readFile(folder_ / (aside + "101") / "photo.png"), "mine");
}

TEST_F(StorageServiceTest, filesStampedInTheFutureNeverDisplaceTheOneJustMoved) {
    fs::create_directories(folder_);
    const long long seconds = seconds_ + 365 * 24 * 3600;
    const timespec stamps[2] = {{seconds, 0}, {seconds, 0}};
    for (int sequence = 1; sequence <= 5; ++sequence) {
        const fs::path planted =
            folder_ / (aside + std::to_string(seconds) + "-" + std::to_string(sequence));
        writeFile(planted, "skewed");
        ::utimensat(AT_FDCWD, planted.c_str(), stamps, 0);
    }
    const fs::path moved = moveAsideOnce();
    EXPECT_EQ(readFile(moved), "bad");
    EXPECT_EQ(namesIn(folder_).size(), 6u);
}

TEST_F(StorageServiceTest, symlinkedFileIsReadAndReplacedWithoutWritingThroughIt) {
    fs::create_directories(folder_);
    const fs::path target = root_.path() / "elsewhere.json";
    const std::string stored = bytesOf(history(2));
    writeFile(target, stored);
    fs::create_symlink(target, file());
    StorageService storage = makeStorage();
    EXPECT_EQ(bytesOf(storage.load()), stored);
    storage.save(history(1));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file())));
    EXPECT_EQ(readFile(target), stored);
    EXPECT_TRUE(lines_.empty());
}

}  // namespace
}  // namespace nimbrook
