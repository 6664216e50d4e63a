#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ControllerFixture.h"

namespace nimbrook {
namespace {

using Strings = std::vector<std::string>;

// Steps taken while the worker is held: "copy <text>", "convert <index> <conversion>",
// "delete <index>", "wait <ms>", "run" (the worker runs one job, its result is applied),
// "flush" (the program quits), "release" (the worker catches up).
struct OrderCase {
    std::string name;
    Strings history;
    Strings steps;
    Strings expectedItems;
    // What the file holds right after the steps; nullopt: no file yet.
    std::optional<Strings> expectedSaved;
    std::string expectedPasteboard;
};

const std::vector<OrderCase> orderCases = {
    {"CapturesAndConversionsApplyInTheOrderAsked",
     {"[1,2]"},
     {"copy A", "convert 0 wrapCode", "copy B", "release", "wait 1000"},
     {"B", "A", "```\n[1,2]\n```"},
     Strings{"B", "A", "```\n[1,2]\n```"},
     "```\n[1,2]\n```"},
    {"SaveInFlightWritesTheStateItStartedWith",
     {},
     {"copy A", "run", "wait 1000", "copy B", "run", "release"},
     {"B", "A"},
     Strings{"A"},
     "B"},
    {"QuitWaitsForTheSaveInFlight",
     {},
     {"copy A", "run", "wait 1000", "flush"},
     {"A"},
     Strings{"A"},
     "A"},
    {"QuitSavesCapturesStillOnTheWorker",
     {},
     {"copy A", "copy B", "flush"},
     {"B", "A"},
     Strings{"B", "A"},
     "B"},
    {"SecondConversionOfARowConvertsTheFirstOnesResult",
     {"[1,2]"},
     {"convert 0 prettifyJSON", "convert 0 minifyJSON", "release"},
     {"[1,2]"},
     std::nullopt,
     "[1,2]"},
    {"ResultForARowDeletedMeanwhileIsNotInserted",
     {"[1,2]", "B"},
     {"convert 0 prettifyJSON", "delete 0", "release", "wait 1000"},
     {"B"},
     Strings{"B"},
     "[\n  1,\n  2\n]"},
};

class WorkOrder : public ControllerFixture, public testing::WithParamInterface<OrderCase> {
protected:
    void take(const std::string& step) {
        std::istringstream words(step);
        std::string verb;
        std::string argument;
        words >> verb >> argument;
        if (verb == "copy") {
            capture(argument);
        } else if (verb == "convert") {
            std::string name;
            words >> name;
            viewModel_->copyConverted(item(argument), *SmartConverter::fromRawValue(name));
        } else if (verb == "delete") {
            viewModel_->deleteItem(item(argument));
        } else if (verb == "wait") {
            clock_.advance(std::chrono::milliseconds(std::stoi(argument)));
        } else if (verb == "run") {
            ASSERT_TRUE(workQueue_.runNextJob());
            workQueue_.deliver();
        } else if (verb == "flush") {
            viewModel_->flushPendingSave();
        } else {
            ASSERT_EQ(verb, "release");
            workQueue_.release();
        }
    }

    ClipboardItem item(const std::string& index) const {
        return viewModel_->items().at(std::stoul(index));
    }
};

TEST_P(WorkOrder, ResultsApplyInTheOrderAsked) {
    const OrderCase& c = GetParam();
    std::vector<ClipboardItem> history;
    for (const std::string& text : c.history) {
        history.push_back(makeItem(text));
    }
    writeHistory(history);
    launch();
    std::filesystem::remove(storage_->fileURL());
    workQueue_.hold();
    for (const std::string& step : c.steps) {
        take(step);
    }
    EXPECT_EQ(contents(), c.expectedItems);
    EXPECT_EQ(savedContents(), c.expectedSaved);
    EXPECT_EQ(pasteboard_.string(), c.expectedPasteboard);
    EXPECT_EQ(workQueue_.queuedJobs(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Interleavings, WorkOrder, testing::ValuesIn(orderCases),
                         [](const auto& info) { return info.param.name; });

class Busy : public ControllerFixture {};

// Only a large text takes long enough to show; its row stays busy while a second request
// for it waits, and the result that replaces it is not busy.
TEST_F(Busy, LargeTextShowsBusyUntilItsLastConversionLands) {
    const std::string large = "[" + std::string(20000, ' ') + "1]";
    writeHistory({makeItem("[2]"), makeItem(large)});
    launch();
    workQueue_.hold();
    viewModel_->copyConverted(viewModel_->items()[0], SmartConverter::Conversion::wrapCode);
    viewModel_->copyConverted(viewModel_->items()[1], SmartConverter::Conversion::minifyJSON);
    viewModel_->copyConverted(viewModel_->items()[1], SmartConverter::Conversion::wrapCode);
    EXPECT_FALSE(viewModel_->isConverting(viewModel_->items()[0].id()));
    EXPECT_TRUE(viewModel_->isConverting(viewModel_->items()[1].id()));
    workQueue_.runNextJob();
    workQueue_.runNextJob();
    workQueue_.deliver();
    ASSERT_EQ(viewModel_->items()[1].content(), "[1]");
    EXPECT_TRUE(viewModel_->isConverting(viewModel_->items()[1].id()));
    workQueue_.release();
    EXPECT_EQ(viewModel_->items()[1].content(), "```\n[1]\n```");
    EXPECT_FALSE(viewModel_->isConverting(viewModel_->items()[1].id()));
}

class FailingSaves : public ControllerFixture {
protected:
    // A file where the data folder belongs fails every save until it is removed.
    void breakFolder() {
        std::filesystem::remove_all(folder_);
        std::ofstream(folder_) << "not a folder";
    }
    std::size_t attempts() const { return console_.size(); }
};

TEST_F(FailingSaves, AreRetriedEveryThirtySecondsAndOnEachChangeUntilOneSucceeds) {
    breakFolder();
    launch();
    capture("A");
    clock_.advance(1s);
    EXPECT_EQ(attempts(), 1u);
    ASSERT_TRUE(viewModel_->saveError().has_value());
    EXPECT_NE(viewModel_->saveError()->find("cannot create a file in"), std::string::npos);

    clock_.advance(29999ms);
    EXPECT_EQ(attempts(), 1u);
    clock_.advance(1ms);
    EXPECT_EQ(attempts(), 2u);

    // A change restarts the wait: saved a second after it, the next retry 30 s after that.
    clock_.advance(10s);
    capture("B");
    clock_.advance(1s);
    EXPECT_EQ(attempts(), 3u);
    clock_.advance(29s);
    EXPECT_EQ(attempts(), 3u);

    // Quitting tries once more.
    viewModel_->flushPendingSave();
    EXPECT_EQ(attempts(), 4u);
    EXPECT_TRUE(viewModel_->saveError().has_value());

    std::filesystem::remove(folder_);
    clock_.advance(30s);
    EXPECT_EQ(viewModel_->saveError(), std::nullopt);
    EXPECT_EQ(savedContents(), (Strings{"B", "A"}));
    clock_.advance(2min);
    EXPECT_EQ(attempts(), 4u);
    console_.clear();
}

}  // namespace
}  // namespace nimbrook
