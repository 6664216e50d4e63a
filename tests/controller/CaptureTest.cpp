#include <filesystem>
#include <string>
#include <vector>

#include "ControllerFixture.h"
#include "controller/ClipboardViewModelObserver.h"
#include "model/HistoryLimit.h"

namespace nimbrook {
namespace {

TEST_P(Scripted, TakesTheSteps) {
    std::vector<ClipboardItem> history;
    for (const std::string& content : GetParam().history) {
        history.push_back(makeItem(content));
    }
    writeHistory(history);
    launch();
    std::filesystem::remove(storage_->fileURL());
    play(GetParam().steps);
    EXPECT_FALSE(workQueue_.runNextJob()) << "a job was left on the worker";
}

const Script scripts[] = {
    {"CanonicallyEqualIsARepeat", {"copy caf\u00e9", "copy cafe\u0301", "items caf\u00e9"}},
    {"CaseAndSurroundingBlanksMatter",
     {"copy x", "copy X", "copy  x", "copy x\n", "items x\n| x|X|x"}},
    // X is gone from the list, so only the waiting token can drop the next copy of X.
    {"SelfCopyTokenWaitsForItsTextPastOtherCaptures",
     {"copy X", "copyback 0", "copy Y", "items Y|X", "delete 1", "copy X", "items Y", "copy X",
      "items X|Y"}},
    // "three" is captured at 1.5 s.
    {"ABurstOfCapturesIsSavedOnceASecondAfterTheLast",
     {"copy one", "wait 300", "offer two", "wait 200", "copy three", "wait 999", "unsaved",
      "wait 1", "saved three|two|one"}},
    // A capture on every tick from 0.5 s on never leaves a quiet second; the first is five
    // seconds old at 5.5 s.
    {"AStreamOfCapturesIsSavedFiveSecondsAfterTheFirst",
     {"copy a", "copy b", "copy c", "copy d", "copy e", "copy f", "copy g", "copy h", "copy i",
      "copy j", "wait 499", "unsaved", "wait 1", "saved j|i|h|g|f|e|d|c|b|a"}},
    {"SwitchingOffKeepsThePendingSave",
     {"copy one", "offer two", "toggle", "wait 2000", "saved one"}},
    {"ClearingAnEmptyHistoryStillWritesAnEmptyListOneSecondLater",
     {"clear", "wait 999", "unsaved", "wait 1", "saved"}},
    {"ToggleTwiceQuicklyLeavesOneTimer",
     {"toggle", "monitoring off", "offer while off", "toggle", "toggle", "toggle", "monitoring on",
      "wait 500", "items"}},
    {"FlushWritesAtOnceAndOnlyOnce",
     {"flush", "unsaved", "copy A", "flush", "saved A", "unlink", "wait 2000", "unsaved"}},
    {"FlushTakesTheCopyNoTickHasSeen", {"copy A", "offer B", "flush", "saved B|A"}},
    {"FlushWhileOffTakesNothing", {"copy A", "toggle", "offer B", "flush", "saved A"}},
    {"LoadedHistoryIsNotWrittenBack", {"items A|A|B", "wait 2000", "unsaved"}, {"A", "A", "B"}},
};

INSTANTIATE_TEST_SUITE_P(Capture, Scripted, testing::ValuesIn(scripts), nameOf);

TEST_F(Controller, RepeatLeavesTheEarlierEntryUntouched) {
    launch();
    activeApplication_.setFrontmostName("Kate");
    capture("A");
    const ClipboardItem first = viewModel_->items().front();
    activeApplication_.setFrontmostName("Firefox ESR");
    capture("B");
    capture("A");
    const ClipboardItem kept = viewModel_->items().at(1);
    EXPECT_EQ(kept.id(), first.id());
    EXPECT_EQ(kept.timestamp(), first.timestamp());
    EXPECT_EQ(kept.sourceApp(), "Kate");
}

TEST_F(Controller, OversizedFileIsKeptWholeUntilTheNextCaptureDropsTheOldest) {
    writeNumberedHistory(600);
    launch();
    EXPECT_EQ(viewModel_->items().size(), 600u);
    capture("new");
    ASSERT_EQ(viewModel_->items().size(), historyLimit);
    EXPECT_EQ(viewModel_->items().front().content(), "new");
    EXPECT_EQ(viewModel_->items().back().content(), "entry 498");
}

TEST_F(Controller, DeleteRemovesByIdOnlyAndSavesOneSecondLater) {
    launch();
    play({"copy A", "copy B"});
    viewModel_->deleteItem(makeItem("B"));
    play({"items B|A", "wait 1000", "delete 0", "items A", "wait 999", "saved B|A", "wait 1",
          "saved A"});
}

TEST_F(Controller, DestructionCancelsEveryPendingTask) {
    launch();
    play({"copy A", "copyback 0", "convert 0 wrapCode"});
    viewModel_.reset();
    EXPECT_EQ(scheduler_.activeRepeatingCount(), 0u);
    EXPECT_EQ(scheduler_.pendingDelayedCount(), 0u);
}

TEST_F(Controller, SameImageTwiceIsTwoEntriesByPath) {
    launch();
    pasteboard_.copy({.png = "same"});
    tick();
    pasteboard_.copy({.png = "same", .text = "caption"});
    tick();
    play({"items /memory/clipboard_1733400001.png|/memory/clipboard_1733400000.png"});
}

// Records each notification with the size of items() at that moment.
class RecordingObserver final : public ClipboardViewModelObserver {
public:
    explicit RecordingObserver(const ClipboardViewModel& viewModel) : viewModel_(viewModel) {}

    void itemsInserted(std::size_t at, std::size_t n) override { record("inserted", {at, n}); }
    void itemsRemoved(std::size_t at, std::size_t n) override { record("removed", {at, n}); }
    void itemReplaced(std::size_t index) override { record("replaced", {index}); }
    void itemsReset() override { record("reset"); }
    void searchTextChanged() override { record("search"); }
    void monitoringChanged() override { record("monitoring"); }
    void copiedFlashChanged() override { record("flash"); }
    void toastMessageChanged() override { record("toast"); }

    Strings log;

private:
    void record(std::string what, std::initializer_list<std::size_t> numbers = {}) {
        for (const std::size_t number : numbers) {
            what += " " + std::to_string(number);
        }
        log.push_back(what + " @" + std::to_string(viewModel_.items().size()));
    }

    const ClipboardViewModel& viewModel_;
};

TEST_F(Controller, ObserversAreToldAfterEachChange) {
    writeNumberedHistory(historyLimit);
    launch();
    RecordingObserver observer(*viewModel_);
    viewModel_->addObserver(observer);

    play({"copy new", "copy new", "delete 2", "convert 1 wrapCode", "toggle", "search q",
          "search q", "copyback 0", "clear", "wait 2000"});
    viewModel_->removeObserver(observer);
    viewModel_->toggleMonitoring();

    EXPECT_EQ(observer.log,
              (Strings{"inserted 0 1 @501", "removed 500 1 @500", "removed 2 1 @499",
                       "replaced 1 @499", "toast @499", "monitoring @499", "search @499",
                       "flash @499", "reset @0", "flash @0", "toast @0"}));
}

}  // namespace
}  // namespace nimbrook
