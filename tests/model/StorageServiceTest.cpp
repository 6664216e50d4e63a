#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "NamedCase.h"
#include "TemporaryFolder.h"
#include "model/HistoryCodec.h"
#include "model/StorageService.h"

namespace nimbrook {
namespace {

using nimbrook::PrintTo;  // found by the printer through the cases' namespace

namespace fs = std::filesystem;

const std::string errorPrefix = "[StorageService] save error: ";
const std::string movedPrefix = "[StorageService] moved undecodable history to ";

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Only regular files: a planted FIFO would block the reader.
std::string readFile(const fs::path& path) {
    if (!fs::is_regular_file(fs::symlink_status(path))) {
        return {};
    }
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

unsigned modeOf(const fs::path& path) {
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status.st_mode & 07777;
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
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

class StorageServiceTest : public testing::Test {
protected:
    StorageService makeStorage() {
        return StorageService(folder_, [this](const std::string& line) { lines_.push_back(line); });
    }
    fs::path file() const { return folder_ / "clipboard_history.json"; }

    TemporaryFolder temporary_;
    fs::path folder_ = temporary_.path() / "share" / "com.quolla.nimbrook";
    std::vector<std::string> lines_;
};

void expectSameHistory(const std::vector<ClipboardItem>& actual,
                       const std::vector<ClipboardItem>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t index = 0; index < actual.size(); ++index) {
        EXPECT_EQ(actual[index].id(), expected[index].id());
        EXPECT_EQ(actual[index].content(), expected[index].content());
        EXPECT_EQ(actual[index].contentType(), expected[index].contentType());
        EXPECT_EQ(actual[index].timestamp(), expected[index].timestamp());
        EXPECT_EQ(actual[index].sourceApp(), expected[index].sourceApp());
    }
}

TEST_F(StorageServiceTest, savedHistoryLoadsBackUnchanged) {
    const std::vector<ClipboardItem> items = history(3);
    makeStorage().save(items);
    expectSameHistory(makeStorage().load(), items);
    EXPECT_EQ(readFile(file()), HistoryCodec::encode(items));
    EXPECT_TRUE(lines_.empty());
}

TEST_F(StorageServiceTest, emptyHistoryIsAnEmptyArray) {
    makeStorage().save({});
    EXPECT_EQ(readFile(file()), "[]");
}

TEST_F(StorageServiceTest, savesOnlyTheNewestFiveHundred) {
    const std::vector<ClipboardItem> items = history(501);
    makeStorage().save(items);
    expectSameHistory(makeStorage().load(), {items.begin(), items.begin() + 500});
}

TEST_F(StorageServiceTest, loadKeepsALongerFileAsItIs) {
    const std::vector<ClipboardItem> items = history(600);
    fs::create_directories(folder_);
    writeFile(file(), HistoryCodec::encode(items));
    expectSameHistory(makeStorage().load(), items);
}

TEST_F(StorageServiceTest, hugeEntryRoundTrips) {
    const std::vector<ClipboardItem> items{ClipboardItem(
        Uuid::random(), std::string(4 << 20, 'x') + "尾", ContentType::code, Timestamp{1}, {})};
    makeStorage().save(items);
    expectSameHistory(makeStorage().load(), items);
}

TEST_F(StorageServiceTest, missingFileLoadsEmptyAndNothingIsMovedAside) {
    StorageService storage = makeStorage();
    EXPECT_TRUE(storage.load().empty());
    storage.save(history(1));
    EXPECT_TRUE(lines_.empty());
    EXPECT_EQ(namesIn(folder_), std::set<std::string>{"clipboard_history.json"});
}

TEST_F(StorageServiceTest, missingFoldersAreCreatedPrivateAndTheFileIsOwnerOnly) {
    const mode_t previousMask = ::umask(0);
    makeStorage().save(history(2));
    ::umask(previousMask);
    EXPECT_EQ(modeOf(folder_), 0700u);
    EXPECT_EQ(modeOf(folder_.parent_path()), 0700u);
    EXPECT_EQ(modeOf(file()), 0600u);
    EXPECT_EQ(namesIn(folder_), std::set<std::string>{"clipboard_history.json"});
}

TEST_F(StorageServiceTest, loadRemovesTemporaryFilesLeftByAnInterruptedSave) {
    fs::create_directories(folder_);
    writeFile(folder_ / "clipboard_history.json.tmp-a1B2c3", "[");
    writeFile(folder_ / "clipboard_history.json.tmp-notes.txt", "mine");
    writeFile(folder_ / "other.tmp-a1B2c3", "mine");
    makeStorage().load();
    EXPECT_EQ(namesIn(folder_),
              (std::set<std::string>{"clipboard_history.json.tmp-notes.txt", "other.tmp-a1B2c3"}));
}

TEST_F(StorageServiceTest, loadCreatesTheFolderToo) {
    makeStorage().load();
    EXPECT_EQ(modeOf(folder_), 0700u);
}

TEST_F(StorageServiceTest, existingFolderKeepsItsModeAndAnOpenFileBecomesPrivate) {
    fs::create_directories(folder_);
    ::chmod(folder_.c_str(), 0750);
    writeFile(file(), "[]");
    ::chmod(file().c_str(), 0644);
    makeStorage().save(history(1));
    EXPECT_EQ(modeOf(folder_), 0750u);
    EXPECT_EQ(modeOf(file()), 0600u);
}

// Each provokes a failed save in a way that works as root too, which ignores permissions.
struct FailureCase {
    std::string name;
    std::function<void(const fs::path& folder, const fs::path& file)> provoke;
    bool oldFileKept;
    rlim_t fileSizeLimit = RLIM_INFINITY;
};

// Keeps writes of this process under a size, as a full disk would.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

const FailureCase failureCases[] = {
    {"folderIsAFile",
     [](const fs::path& folder, const fs::path&) {
         fs::create_directories(folder.parent_path());
         writeFile(folder, "not a folder");
     },
     false},
    {"parentCannotBeCreated",
     [](const fs::path& folder, const fs::path&) {
         writeFile(folder.parent_path(), "not a folder");
     },
     false},
    {"fileIsAFolder",
     [](const fs::path&, const fs::path& file) { fs::create_directories(file / "inside"); }, true},
    {"diskFull",
     [](const fs::path& folder, const fs::path& file) {
         fs::create_directories(folder);
         writeFile(file, "[]");
     },
     true, 4096},
};

class SaveFailureTest : public StorageServiceTest,
                        public testing::WithParamInterface<FailureCase> {};

TEST_P(SaveFailureTest, reportsOneLineAndKeepsThePreviousFile) {
    const FailureCase& testCase = GetParam();
    testCase.provoke(folder_, file());
    const std::set<std::string> before = namesIn(folder_);
    const std::string previous = readFile(file());
    {
        const FileSizeLimit limit(testCase.fileSizeLimit);
        makeStorage().save(history(500));
    }
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_TRUE(lines_[0].starts_with(errorPrefix)) << lines_[0];
    EXPECT_GT(lines_[0].size(), errorPrefix.size());
    EXPECT_EQ(namesIn(folder_), before) << "no temporary file may be left behind";
    if (testCase.oldFileKept) {
        EXPECT_EQ(readFile(file()), previous);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveFailureTest, testing::ValuesIn(failureCases), nameOf);

// Each puts something at the file's place that cannot be loaded; `aside` tells whether what
// was moved aside still holds the original bytes (only regular files hold bytes).
struct HostileCase {
    std::string name;
    std::function<void(const fs::path& file)> plant;
    std::optional<std::string> bytes;
};

std::string validFile() {
    return HistoryCodec::encode(history(3));
}

const HostileCase hostileCases[] = {
    {"notJson", [](const fs::path& file) { writeFile(file, "hello"); }, "hello"},
    {"emptyFile", [](const fs::path& file) { writeFile(file, ""); }, ""},
    {"truncated", [](const fs::path& file) { writeFile(file, validFile().substr(0, 150)); },
     std::nullopt},
    {"binary",
     [](const fs::path& file) { writeFile(file, std::string("\x89PNG\r\n\x1A\n\0\0", 10)); },
     std::string("\x89PNG\r\n\x1A\n\0\0", 10)},
    {"invalidUtf8",
     [](const fs::path& file) {
         std::string bytes = validFile();
         bytes.replace(bytes.find("条目"), 3, "\xFF\xFE\xFD");
         writeFile(file, bytes);
     },
     std::nullopt},
    {"unknownType",
     [](const fs::path& file) {
         std::string bytes = validFile();
         bytes.replace(bytes.find("plainText"), 9, "text");
         writeFile(file, bytes);
     },
     std::nullopt},
    {"deeplyNested", [](const fs::path& file) { writeFile(file, std::string(1 << 20, '[')); },
     std::nullopt},
    {"folder", [](const fs::path& file) { fs::create_directories(file / "x"); }, std::nullopt},
    {"fifo", [](const fs::path& file) { ::mkfifo(file.c_str(), 0600); }, std::nullopt},
    {"danglingSymlink",
     [](const fs::path& file) { fs::create_symlink(file.parent_path() / "nowhere", file); },
     std::nullopt},
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
    const fs::path aside = lines_[0].substr(movedPrefix.size());
    EXPECT_EQ(aside.parent_path(), folder_);
    EXPECT_TRUE(aside.filename().string().starts_with("clipboard_history.json.corrupt-"));
    EXPECT_TRUE(fs::exists(fs::symlink_status(aside)));
    if (fs::is_regular_file(fs::symlink_status(aside))) {
        EXPECT_EQ(readFile(aside), original);
    }
    if (GetParam().bytes) {
        EXPECT_EQ(original, *GetParam().bytes);
    }
    expectSameHistory(makeStorage().load(), items);

    storage.save(items);
    EXPECT_EQ(lines_.size(), 1u) << "moved aside once only";
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileFileTest, testing::ValuesIn(hostileCases), nameOf);

long long unixSecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

TEST_F(StorageServiceTest, keepsTheFiveNewestUndecodableFiles) {
    fs::create_directories(folder_);
    for (int seconds = 100; seconds <= 106; ++seconds) {
        writeFile(folder_ / ("clipboard_history.json.corrupt-" + std::to_string(seconds)), "old");
    }
    writeFile(folder_ / "clipboard_history.json.corrupt-notes", "mine");
    writeFile(file(), "bad");
    StorageService storage = makeStorage();
    storage.load();
    storage.save({});
    ASSERT_EQ(lines_.size(), 1u);
    const std::string moved = fs::path(lines_[0].substr(movedPrefix.size())).filename().string();
    EXPECT_EQ(namesIn(folder_),
              (std::set<std::string>{
                  "clipboard_history.json", moved, "clipboard_history.json.corrupt-106",
                  "clipboard_history.json.corrupt-105", "clipboard_history.json.corrupt-104",
                  "clipboard_history.json.corrupt-103", "clipboard_history.json.corrupt-notes"}));
}

TEST_F(StorageServiceTest, filesMovedAsideInTheSameSecondNeverReplaceEachOther) {
    fs::create_directories(folder_);
    const long long now = unixSecondsNow();
    for (long long seconds = now; seconds < now + 3; ++seconds) {
        writeFile(folder_ / ("clipboard_history.json.corrupt-" + std::to_string(seconds)),
                  std::to_string(seconds));
    }
    writeFile(file(), "bad");
    StorageService storage = makeStorage();
    storage.load();
    storage.save({});
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_EQ(readFile(lines_[0].substr(movedPrefix.size())), "bad");
    for (long long seconds = now; seconds < now + 3; ++seconds) {
        EXPECT_EQ(readFile(folder_ / ("clipboard_history.json.corrupt-" + std::to_string(seconds))),
                  std::to_string(seconds));
    }
}

TEST_F(StorageServiceTest, symlinkedFileIsReadAndReplacedWithoutWritingThroughIt) {
    fs::create_directories(folder_);
    const fs::path target = temporary_.path() / "elsewhere.json";
    const std::vector<ClipboardItem> stored = history(2);
    writeFile(target, HistoryCodec::encode(stored));
    fs::create_symlink(target, file());
    StorageService storage = makeStorage();
    expectSameHistory(storage.load(), stored);
    storage.save(history(1));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file())));
    EXPECT_EQ(readFile(target), HistoryCodec::encode(stored));
    EXPECT_TRUE(lines_.empty());
}

}  // namespace
}  // namespace nimbrook
