#include <filesystem>
#include <string>

#include "ControllerFixture.h"

namespace nimbrook {
namespace {

const Script scripts[] = {
    {"CapturesAndConversionsApplyInTheOrderAsked",
     {"hold", "copy A", "convert 0 wrapCode", "copy B", "release", "wait 1000",
      "items B|A|```\n[1,2]\n```", "saved B|A|```\n[1,2]\n```", "pasteboard ```\n[1,2]\n```"},
     {"[1,2]"}},
    {"SaveInFlightWritesTheStateItStartedWith",
     {"hold", "copy A", "run", "wait 1000", "copy B", "run", "release", "items B|A", "saved A",
      "pasteboard B"}},
    {"QuitWaitsForTheSaveInFlight",
     {"hold", "copy A", "run", "wait 1000", "flush", "items A", "saved A", "pasteboard A"}},
    {"QuitSavesCapturesStillOnTheWorker",
     {"hold", "copy A", "copy B", "flush", "items B|A", "saved B|A", "pasteboard B"}},
    {"ResultForARowDeletedMeanwhileIsNotInserted",
     {"hold", "convert 0 prettifyJSON", "delete 0", "release", "wait 1000", "items B", "saved B",
      "pasteboard [\n  1,\n  2\n]"},
     {"[1,2]", "B"}},
};

INSTANTIATE_TEST_SUITE_P(WorkOrder, Scripted, testing::ValuesIn(scripts), nameOf);

// Only a large text takes long enough to show; its row stays busy while a second request
// for it waits, which converts the first one's result; the result that replaces it is not busy.
TEST_F(Controller, LargeTextShowsBusyUntilItsLastConversionLands) {
    const std::string large = "[" + std::string(20000, ' ') + "1]";
    writeHistory({makeItem("[2]"), makeItem(large)});
    launch();
    play({"hold", "convert 0 wrapCode", "convert 1 minifyJSON", "convert 1 wrapCode"});
    EXPECT_FALSE(viewModel_->isConverting(viewModel_->items()[0].id()));
    EXPECT_TRUE(viewModel_->isConverting(viewModel_->items()[1].id()));
    workQueue_.runNextJob();
    workQueue_.runNextJob();
    workQueue_.deliver();
    play({"items ```\n[2]\n```|[1]"});
    EXPECT_TRUE(viewModel_->isConverting(viewModel_->items()[1].id()));
    play({"release", "items ```\n[2]\n```|```\n[1]\n```"});
    EXPECT_FALSE(viewModel_->isConverting(viewModel_->items()[1].id()));
}

// A file where the data folder belongs fails every save until it is removed.
TEST_F(Controller, FailingSavesAreRetriedEveryThirtySecondsAndOnEachChangeUntilOneSucceeds) {
    std::filesystem::remove_all(folder_);
    writeFile(folder_, "not a folder");
    launch();
    play({"copy A", "wait 1000", "failures 1"});
    ASSERT_TRUE(viewModel_->saveError().has_value());
    EXPECT_NE(viewModel_->saveError()->find("cannot create a file in"), std::string::npos);
    // A change restarts the wait: saved a second after it, the next retry 30 s after that.
    // Quitting tries once more.
    play({"wait 29999", "failures 1", "wait 1", "failures 2", "wait 10000", "copy B", "wait 1000",
          "failures 3", "wait 29000", "failures 3", "flush", "failures 4"});
    EXPECT_TRUE(viewModel_->saveError().has_value());
    std::filesystem::remove(folder_);
    play({"wait 30000", "saved B|A", "wait 120000", "failures 4"});
    EXPECT_EQ(viewModel_->saveError(), std::nullopt);
    console_.clear();
    EXPECT_EQ(journalConsole_.size(), 1u) << "the journal's failures are said once";
    journalConsole_.clear();
}

}  // namespace
}  // namespace nimbrook
