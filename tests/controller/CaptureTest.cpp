#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ControllerFixture.h"
#include "controller/ClipboardViewModelObserver.h"
#include "model/HistoryLimit.h"

namespace nimbrook {
namespace {

using Strings = std::vector<std::string>;

// A sequence of other programs' copies, one tick apart, and the history they leave.
struct CaptureCase {
    std::string name;
    Strings copies;
    Strings expected;
};

const std::vector<CaptureCase> captureCases = {
    {"NewestFirst", {"A", "B", "C"}, {"C", "B", "A"}},
    {"RepeatKeepsTheOlderEntry", {"A", "B", "A"}, {"B", "A"}},
    {"CanonicallyEqualIsARepeat", {"caf\u00e9", "cafe\u0301"}, {"caf\u00e9"}},
    {"CaseAndSurroundingBlanksMatter", {"x", "X", " x", "x\n"}, {"x\n", " x", "X", "x"}},
};

class Capture : public ControllerFixture, public testing::WithParamInterface<CaptureCase> {};

TEST_P(Capture, KeepsNewestFirstWithoutRepeats) {
    launch();
    for (const std::string& text : GetParam().copies) {
        capture(text);
    }
    EXPECT_EQ(contents(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Copies, Capture, testing::ValuesIn(captureCases),
                         [](const auto& info) { return info.param.name; });

class Controller : public ControllerFixture {};

TEST_F(Controller, RepeatLeavesTheEarlierEntryUntouched) {
    launch();
    activeApplication_.setFrontmostName("Kate");
    capture("A");
    const ClipboardItem first = viewModel_->items().front();
    activeApplication_.setFrontmostName("Firefox ESR");
    capture("B");
    capture("A");
    ASSERT_EQ(viewModel_->items().size(), 2u);
    const ClipboardItem& kept = viewModel_->items()[1];
    EXPECT_EQ(kept.id(), first.id());
    EXPECT_EQ(kept.timestamp(), first.timestamp());
    EXPECT_EQ(kept.sourceApp(), "Kate");
}

TEST_F(Controller, SelfCopyTokenWaitsForItsTextPastOtherCaptures) {
    launch();
    capture("X");
    viewModel_->copyToPasteboard(viewModel_->items()[0]);
    pasteboard_.copyText("Y");
    tick();
    EXPECT_EQ(contents(), (Strings{"Y", "X"}));

    // X is gone from the list, so only the waiting token can drop the next copy of X.
    viewModel_->deleteItem(viewModel_->items()[1]);
    capture("X");
    EXPECT_EQ(contents(), Strings{"Y"});
    capture("X");
    EXPECT_EQ(contents(), (Strings{"X", "Y"}));
}

TEST_F(Controller, OversizedFileIsKeptWholeUntilTheNextCaptureDropsTheOldest) {
    writeNumberedHistory(600);
    launch();
    EXPECT_EQ(viewModel_->items().size(), 600u);
    clock_.advance(5s);
    EXPECT_EQ(savedContents()->size(), 600u);

    capture("new");
    ASSERT_EQ(viewModel_->items().size(), historyLimit);
    EXPECT_EQ(viewModel_->items().front().content(), "new");
    EXPECT_EQ(viewModel_->items().back().content(), "entry 498");
}

TEST_F(Controller, ABurstOfCapturesIsSavedOnceASecondAfterTheLast) {
    launch();
    capture("one");
    clock_.advance(300ms);
    pasteboard_.copyText("two");
    clock_.advance(200ms);
    pasteboard_.copyText("three");
    tick();
    // "three" was captured at 1.5 s.
    clock_.advance(999ms);
    EXPECT_EQ(savedContents(), std::nullopt);
    clock_.advance(1ms);
    EXPECT_EQ(savedContents(), (Strings{"three", "two", "one"}));
}

TEST_F(Controller, SwitchingOffKeepsThePendingSave) {
    launch();
    capture("one");
    pasteboard_.copyText("two");
    viewModel_->toggleMonitoring();
    clock_.advance(2s);
    EXPECT_EQ(savedContents(), Strings{"one"});
}

TEST_F(Controller, DeleteRemovesByIdOnlyAndSavesOneSecondLater) {
    launch();
    capture("A");
    capture("B");
    viewModel_->deleteItem(makeItem("B"));
    EXPECT_EQ(contents(), (Strings{"B", "A"}));
    clock_.advance(1s);
    viewModel_->deleteItem(viewModel_->items()[0]);
    EXPECT_EQ(contents(), Strings{"A"});
    clock_.advance(999ms);
    EXPECT_EQ(savedContents(), (Strings{"B", "A"}));
    clock_.advance(1ms);
    EXPECT_EQ(savedContents(), Strings{"A"});
}

TEST_F(Controller, ClearingAnEmptyHistoryStillWritesAnEmptyListOneSecondLater) {
    launch();
    viewModel_->clearAll();
    clock_.advance(999ms);
    EXPECT_EQ(savedContents(), std::nullopt);
    clock_.advance(1ms);
    EXPECT_EQ(savedContents(), Strings{});
}

TEST_F(Controller, ToggleTwiceQuicklyLeavesOneTimer) {
    launch();
    viewModel_->toggleMonitoring();
    EXPECT_FALSE(viewModel_->isMonitoring());
    EXPECT_EQ(scheduler_.activeRepeatingCount(), 0u);
    pasteboard_.copyText("while off");
    viewModel_->toggleMonitoring();
    viewModel_->toggleMonitoring();
    viewModel_->toggleMonitoring();
    EXPECT_TRUE(viewModel_->isMonitoring());
    EXPECT_EQ(scheduler_.activeRepeatingCount(), 1u);
    tick();
    EXPECT_TRUE(viewModel_->items().empty());
}

TEST_F(Controller, DestructionCancelsEveryPendingTask) {
    launch();
    capture("A");
    viewModel_->copyToPasteboard(viewModel_->items()[0]);
    viewModel_->copyConverted(viewModel_->items()[0], SmartConverter::Conversion::wrapCode);
    viewModel_.reset();
    EXPECT_EQ(scheduler_.activeRepeatingCount(), 0u);
    EXPECT_EQ(scheduler_.pendingDelayedCount(), 0u);
    clock_.advance(2s);
    EXPECT_EQ(savedContents(), std::nullopt);
}

TEST_F(Controller, FlushWritesAtOnceAndOnlyOnce) {
    launch();
    viewModel_->flushPendingSave();
    EXPECT_EQ(savedContents(), std::nullopt);
    capture("A");
    viewModel_->flushPendingSave();
    EXPECT_EQ(savedContents(), Strings{"A"});
    std::filesystem::remove(storage_->fileURL());
    clock_.advance(2s);
    EXPECT_EQ(savedContents(), std::nullopt);
}

TEST_F(Controller, FailedSaveKeepsTheHistory) {
    std::filesystem::remove_all(folder_);
    std::ofstream(folder_) << "a file where the folder belongs";
    launch();
    capture("A");
    clock_.advance(1s);
    capture("B");
    EXPECT_EQ(contents(), (Strings{"B", "A"}));
    EXPECT_FALSE(console_.empty());
    console_.clear();
}

TEST_F(Controller, LoadedHistoryIsNotWrittenBack) {
    writeHistory({makeItem("A"), makeItem("A"), makeItem("B")});
    launch();
    EXPECT_EQ(contents(), (Strings{"A", "A", "B"}));
    clock_.advance(2s);
    EXPECT_EQ(scheduler_.pendingDelayedCount(), 0u);
}

TEST_F(Controller, SameImageTwiceIsTwoEntriesByPath) {
    launch();
    pasteboard_.copy({.png = "same"});
    tick();
    pasteboard_.copy({.png = "same", .text = "caption"});
    tick();
    ASSERT_EQ(viewModel_->items().size(), 2u);
    EXPECT_EQ(viewModel_->items().front().contentType(), ContentType::image);
    EXPECT_EQ(contents(),
              (Strings{"/memory/clipboard_1733400001.png", "/memory/clipboard_1733400000.png"}));
}

// Records each notification with the size of items() at that moment.
class RecordingObserver final : public ClipboardViewModelObserver {
public:
    explicit RecordingObserver(const ClipboardViewModel& viewModel) : viewModel_(viewModel) {}

    void itemsInserted(std::size_t first, std::size_t count) override {
        record("inserted " + std::to_string(first) + " " + std::to_string(count));
    }
    void itemsRemoved(std::size_t first, std::size_t count) override {
        record("removed " + std::to_string(first) + " " + std::to_string(count));
    }
    void itemReplaced(std::size_t index) override { record("replaced " + std::to_string(index)); }
    void itemsReset() override { record("reset"); }
    void searchTextChanged() override { record("search"); }
    void monitoringChanged() override { record("monitoring"); }
    void copiedFlashChanged() override { record("flash"); }
    void toastMessageChanged() override { record("toast"); }

    Strings log;

private:
    void record(const std::string& what) {
        log.push_back(what + " @" + std::to_string(viewModel_.items().size()));
    }

    const ClipboardViewModel& viewModel_;
};

TEST_F(Controller, ObserversAreToldAfterEachChange) {
    writeNumberedHistory(historyLimit);
    launch();
    RecordingObserver observer(*viewModel_);
    viewModel_->addObserver(observer);

    capture("new");
    capture("new");
    viewModel_->deleteItem(viewModel_->items()[2]);
    viewModel_->copyConverted(viewModel_->items()[1], SmartConverter::Conversion::wrapCode);
    viewModel_->toggleMonitoring();
    viewModel_->setSearchText("q");
    viewModel_->setSearchText("q");
    viewModel_->copyToPasteboard(viewModel_->items()[0]);
    viewModel_->clearAll();
    clock_.advance(2s);
    viewModel_->removeObserver(observer);
    viewModel_->toggleMonitoring();

    EXPECT_EQ(observer.log,
              (Strings{"inserted 0 1 @501", "removed 500 1 @500", "removed 2 1 @499",
                       "replaced 1 @499", "toast @499", "monitoring @499", "search @499",
                       "flash @499", "reset @0", "flash @0", "toast @0"}));
}

}  // namespace
}  // namespace nimbrook
