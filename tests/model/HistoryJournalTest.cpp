#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "NamedCase.h"
#include "model/HistoryChange.h"
#include "model/HistoryJournal.h"
#include "support/Files.h"
#include "support/Steps.h"
#include "support/TemporaryFolder.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Contents = std::vector<std::string>;

// Lists contents as shown; "#<n>" stands for "entry 0" .. "entry <n - 1>", "*A" for A pinned.
Contents expanded(const Contents& contents) {
    Contents result;
    for (const std::string& content : contents) {
        if (!content.starts_with('#')) {
            result.push_back(content);
            continue;
        }
        for (std::size_t index = 0; index < std::stoul(content.substr(1)); ++index) {
            result.push_back("entry " + std::to_string(index));
        }
    }
    return result;
}

class HistoryJournalTest : public testing::Test {
protected:
    fs::path file() const { return folder_.path() / "clipboard_history.journal"; }
    std::unique_ptr<HistoryJournal> makeJournal() {
        return std::make_unique<HistoryJournal>(
            folder_.path(), [this](const std::string& line) { console_.push_back(line); });
    }
    // The entry holding `content`, the same one on every call, so that the history and the
    // journal can hold the same entry.
    const ClipboardItem& entry(const std::string& content) {
        return entries_
            .try_emplace(content, Uuid::random(), content, ContentType::plainText,
                         Timestamp{786000000.5}, std::nullopt)
            .first->second;
    }
    std::vector<ClipboardItem> itemsOf(const Contents& contents) {
        std::vector<ClipboardItem> items;
        for (const std::string& content : expanded(contents)) {
            items.push_back(content.starts_with('*') ? entry(content.substr(1)).withPin(Timestamp{})
                                                     : entry(content));
        }
        return items;
    }
    static Contents contentsOf(const std::vector<ClipboardItem>& items) {
        Contents contents;
        for (const ClipboardItem& item : items) {
            contents.push_back((item.isPinned() ? "*" : "") + item.content());
        }
        return contents;
    }
    std::size_t linesInFile() const {
        const std::string bytes = readFile(file());
        return static_cast<std::size_t>(std::ranges::count(bytes, '\n'));
    }

    // Verbs: insert, replace (old, new), remove and clear append those changes; "bytes"
    // appends its argument as it is, "cut" drops that many bytes at the end; "restart" is a
    // new start that replays the journal; "mark" notes the moment a save starts, "discard"
    // is that save's success; "lines" counts the lines in the file.
    void play(const std::vector<std::string>& steps) {
        playSteps(steps, [this](const std::string& argument) {
            return StepVerbs{
                {"insert", [&] { writer_->append(HistoryChange::insertion(entry(argument))); }},
                {"replace",
                 [&] {
                     const std::size_t space = argument.find(' ');
                     writer_->append(HistoryChange::replacement(
                         entry(argument.substr(0, space)).id(), entry(argument.substr(space + 1))));
                 }},
                {"remove", [&] { writer_->append(HistoryChange::removal(entry(argument).id())); }},
                {"clear", [&] { writer_->append(HistoryChange::clearing()); }},
                {"pin",
                 [&] {
                     writer_->append(HistoryChange::pinning(entry(argument).id(), Timestamp{9}));
                 }},
                {"unpin", [&] { writer_->append(HistoryChange::unpinning(entry(argument).id())); }},
                {"bytes",
                 [&] { std::ofstream(file(), std::ios::binary | std::ios::app) << argument; }},
                {"cut",
                 [&] { fs::resize_file(file(), fs::file_size(file()) - std::stoul(argument)); }},
                {"restart",
                 [&] {
                     writer_ = makeJournal();
                     std::vector<ClipboardItem> ignored;
                     writer_->replay(ignored);
                 }},
                {"mark", [&] { mark_ = writer_->mark(); }},
                {"discard", [&] { writer_->discardThrough(mark_); }},
                {"lines", [&] { EXPECT_EQ(linesInFile(), std::stoul(argument)); }},
            };
        });
    }

    TemporaryFolder folder_;
    std::vector<std::string> console_;
    std::map<std::string, ClipboardItem> entries_;
    std::unique_ptr<HistoryJournal> writer_ = makeJournal();
    HistoryJournal::Mark mark_ = 0;
};

// The history file as loaded, the steps that left the journal, the history after replay.
struct ReplayCase {
    std::string name;
    Contents history;
    std::vector<std::string> steps;
    Contents expected;
};

class Replay : public HistoryJournalTest, public testing::WithParamInterface<ReplayCase> {};

TEST_P(Replay, GivesTheHistoryAfterTheChangesAndLeavesTheFile) {
    play(GetParam().steps);
    const std::string before = readFile(file());
    std::vector<ClipboardItem> items = itemsOf(GetParam().history);
    makeJournal()->replay(items);
    EXPECT_EQ(contentsOf(items), expanded(GetParam().expected));
    EXPECT_EQ(readFile(file()), before);
    EXPECT_TRUE(console_.empty()) << console_.front();
}

const ReplayCase replayCases[] = {
    {"NoJournal", {"A"}, {}, {"A"}},
    {"EmptiedJournal", {"A"}, {"insert A", "mark", "discard", "lines 0"}, {"A"}},
    {"ChangesTheHistoryLacks", {"A"}, {"insert B", "insert C"}, {"C", "B", "A"}},
    {"ChangesTheHistoryHolds", {"C", "B", "A"}, {"insert B", "insert C"}, {"C", "B", "A"}},
    {"HistorySavedAmidTheChanges", {"B", "A"}, {"insert B", "insert C", "remove A"}, {"C", "B"}},
    {"RemovedEntry", {"B", "A"}, {"remove A"}, {"B"}},
    {"RemovedEntryTheHistoryNeverHeld", {"B"}, {"insert A", "remove A"}, {"B"}},
    {"ReplacedEntryKeepsItsPlace", {"B", "A", "C"}, {"replace A A2"}, {"B", "A2", "C"}},
    {"ReplacementAlreadySaved", {"B", "A2"}, {"replace A A2"}, {"B", "A2"}},
    {"ReplacementRemovedLater", {"B", "A"}, {"replace A A2", "remove A2"}, {"B"}},
    {"ClearedThenCopied", {"B", "A"}, {"clear", "insert C"}, {"C"}},
    {"ClearedAndCopiedAlreadySaved", {"C"}, {"insert A", "clear", "insert C"}, {"C"}},
    {"LineFeedOfTheLastRecordMissing", {}, {"insert A", "insert B", "cut 1"}, {"A"}},
    {"LastRecordCutMidway", {}, {"insert A", "insert B", "cut 40"}, {"A"}},
    {"AppendAfterACutRecordStartsALineOfItsOwn",
     {},
     {"insert A", "insert B", "cut 40", "restart", "insert C"},
     {"C", "A"}},
    {"GarbledLinesAreSkippedAlone",
     {"H"},
     {"insert A", "bytes \0\xff\xfe\n"s, "bytes 7 insert {\"id\":1}\n", "bytes 8 remove B\n",
      "bytes 9 clear now\n", "bytes 4611686018427387905 clear\n", "bytes -1 clear\n",
      "bytes 10 explode\n", "bytes 11 insert [] \n", "bytes \n", "insert B"},
     {"B", "A", "H"}},
    {"HostileBytesAlone", {"H"}, {"bytes \x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01"s}, {"H"}},
    {"BeyondTheHistoryLimit", {"#500"}, {"insert A", "insert B"}, {"B", "A", "#498"}},
    {"PinsAndUnpins", {"C", "B", "A"}, {"pin A", "pin B", "unpin A"}, {"*B", "C", "A"}},
    {"PinsTheHistoryHolds", {"*B", "*A", "C"}, {"pin A", "pin B"}, {"*B", "*A", "C"}},
    {"UnpinOfAnEntryNotPinned", {"B", "A"}, {"unpin B", "pin X"}, {"B", "A"}},
    {"CopiesGoBelowThePins", {"*A", "B"}, {"insert C"}, {"*A", "C", "B"}},
    {"ClearingKeepsThePins", {"*A", "B"}, {"clear", "insert C"}, {"*A", "C"}},
    {"ReplacementKeepsThePin", {"B", "*A", "C"}, {"replace A A2"}, {"B", "*A2", "C"}},
    {"PinsAreNotCountedByTheLimit", {"*P", "#500"}, {"insert A"}, {"*P", "A", "#499"}},
    {"GarbledPinLinesAreSkipped",
     {"H"},
     {"bytes 1 pin\n", "bytes 2 pin E621E1F8-C36C-495A-93FC-0C247A3E6E5F\n",
      "bytes 3 pin E621E1F8-C36C-495A-93FC-0C247A3E6E5F nan\n", "bytes 4 unpin x\n",
      "bytes 5 unpin E621E1F8-C36C-495A-93FC-0C247A3E6E5F 7\n", "pin H"},
     {"*H"}},
    {"SaveEmptiesTheJournal",
     {"B", "A"},
     {"insert A", "insert B", "mark", "discard", "lines 0"},
     {"B", "A"}},
    {"ChangesAfterTheSavedMomentAreKept",
     {"B", "A"},
     {"insert A", "insert B", "mark", "remove A", "insert C", "discard", "lines 2"},
     {"C", "B"}},
    {"NumbersGoOnAfterTheReplayedRecords",
     {"A"},
     {"insert A", "restart", "mark", "insert B", "discard", "lines 1"},
     {"B", "A"}},
};

INSTANTIATE_TEST_SUITE_P(HistoryJournal, Replay, testing::ValuesIn(replayCases), nameOf);

// Whatever stands at the journal's place is neither read nor written through.
struct PlantedCase {
    std::string name;
    std::function<void(const fs::path& journal, const fs::path& elsewhere)> plant;
};

class Planted : public HistoryJournalTest, public testing::WithParamInterface<PlantedCase> {};

TEST_P(Planted, HoldsNothingAndTakesNothing) {
    play({"insert A"});
    const fs::path elsewhere = folder_.path() / "elsewhere";
    fs::rename(file(), elsewhere);
    GetParam().plant(file(), elsewhere);
    const std::string kept = readFile(elsewhere);
    std::vector<ClipboardItem> items = itemsOf({"H"});
    const auto journal = makeJournal();
    EXPECT_EQ(journal->replay(items), 0u);
    EXPECT_FALSE(journal->append(HistoryChange::insertion(entry("B"))));
    EXPECT_FALSE(journal->append(HistoryChange::insertion(entry("C"))));
    EXPECT_EQ(contentsOf(items), Contents{"H"});
    EXPECT_EQ(readFile(elsewhere), kept);
    ASSERT_EQ(console_.size(), 1u) << "said once for both";
    EXPECT_TRUE(console_[0].starts_with("[HistoryJournal] write error: cannot open "))
        << console_[0];
}

const PlantedCase plantedCases[] = {
    {"Symlink", [](const fs::path& journal,
                   const fs::path& elsewhere) { fs::create_symlink(elsewhere, journal); }},
    {"Fifo", [](const fs::path& journal, const fs::path&) { ::mkfifo(journal.c_str(), 0600); }},
    {"Folder", [](const fs::path& journal, const fs::path&) { fs::create_directory(journal); }},
};

INSTANTIATE_TEST_SUITE_P(HistoryJournal, Planted, testing::ValuesIn(plantedCases), nameOf);

// A full disk cuts one record short: only the records that failed are lost, the file stays
// the user's alone, and the failure is said once until a write succeeds again.
TEST_F(HistoryJournalTest, FullDiskLosesOnlyTheRecordsThatFailed) {
    play({"insert A"});
    withFileSizeLimit(fs::file_size(file()) + 10, [this] {
        EXPECT_FALSE(writer_->append(HistoryChange::insertion(entry("B"))));
        EXPECT_FALSE(writer_->append(HistoryChange::insertion(entry("C"))));
    });
    EXPECT_TRUE(writer_->append(HistoryChange::insertion(entry("D"))));
    withFileSizeLimit(0, [this] { writer_->append(HistoryChange::clearing()); });
    ASSERT_EQ(console_.size(), 2u);
    EXPECT_TRUE(console_[0].starts_with("[HistoryJournal] write error: cannot write "))
        << console_[0];
    std::vector<ClipboardItem> items;
    makeJournal()->replay(items);
    EXPECT_EQ(contentsOf(items), (Contents{"D", "A"}));
    EXPECT_EQ(modeOf(file()), 0600u);
}

}  // namespace
}  // namespace nimbrook
