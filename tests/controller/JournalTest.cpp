#include <filesystem>
#include <string>

#include "ControllerFixture.h"

namespace nimbrook {
namespace {

const Script scripts[] = {
    {"AKillBeforeTheSaveLosesNothing",
     {"copy A", "copy B", "delete 1", "journaled 3", "restart", "items B", "unsaved", "wait 1000",
      "saved B", "journaled 0"}},
    {"ConversionsAndClearingAreReplayed",
     {"copy [1,2]", "convert 0 prettifyJSON", "copy B", "restart", "items B|[\n  1,\n  2\n]",
      "clear", "copy C", "restart", "items C"}},
    {"ASaveEmptiesTheJournal",
     {"copy A", "journaled 1", "wait 1000", "saved A", "journaled 0", "copy B", "restart",
      "items B|A"}},
    // B goes after the save of B|A was started and before it ran.
    {"AChangeAfterTheSaveStartedOutlivesIt",
     {"hold", "copy A", "run", "copy B", "run", "wait 1000", "delete 0", "run", "saved B|A",
      "journaled 1", "restart", "release", "items A"}},
};

INSTANTIATE_TEST_SUITE_P(Journal, Scripted, testing::ValuesIn(scripts), nameOf);

// A folder in the history file's place fails the saves until it goes.
TEST_F(Controller, AFailedSaveKeepsTheJournalForTheNextStart) {
    launch();
    play({"copy A", "copy B"});
    std::filesystem::create_directory(storage_->fileURL());
    play({"wait 1000", "failures 1", "journaled 2"});
    std::filesystem::remove(storage_->fileURL());
    play({"restart", "items B|A", "wait 1000", "saved B|A", "journaled 0"});
    console_.clear();
}

TEST_F(Controller, AJournalThatCannotBeWrittenStopsNothingAndIsReportedOnce) {
    std::filesystem::create_directories(journal_->fileURL());
    launch();
    play({"copy A", "copy B", "items B|A", "wait 1000", "saved B|A"});
    EXPECT_EQ(viewModel_->saveError(), std::nullopt);
    ASSERT_EQ(journalConsole_.size(), 1u);
    EXPECT_TRUE(journalConsole_[0].starts_with("[HistoryJournal] write error: "));
    journalConsole_.clear();
}

}  // namespace
}  // namespace nimbrook
