#include <string>

#include "ControllerFixture.h"
#include "model/HistoryLimit.h"

namespace nimbrook {
namespace {

// Copies of D, C, B and A, half a second apart: A is the newest.
const std::vector<std::string> fourCopies{"copy D", "copy C", "copy B", "copy A"};

Script withFourCopies(std::string name, std::vector<std::string> steps) {
    steps.insert(steps.begin(), fourCopies.begin(), fourCopies.end());
    return {std::move(name), std::move(steps)};
}

const Script scripts[] = {
    withFourCopies("PinsStandFirstTheLatestPinFirst",
                   {"pin 2", "items C|A|B|D", "pin 2", "items B|C|A|D", "pinned B|C"}),
    withFourCopies(
        "AnUnpinnedEntryGoesBackByItsTime",
        {"pin 2", "pin 3", "unpin 1", "items D|A|B|C", "unpin 0", "items A|B|C|D", "pinned "}),
    withFourCopies("CopiesGoBelowThePins", {"pin 3", "copy E", "items D|E|A|B|C"}),
    withFourCopies("ACopyOfAPinnedTextIsARepeat",
                   {"pin 3", "copy D", "copy B", "items D|A|B|C", "pinned D"}),
    withFourCopies("ConvertingAPinnedEntryKeepsThePinInPlace",
                   {"copy [1,2]", "pin 0", "pin 1", "convert 1 prettifyJSON",
                    "items A|[\n  1,\n  2\n]|B|C|D", "pinned A|[\n  1,\n  2\n]", "restart",
                    "items A|[\n  1,\n  2\n]|B|C|D", "pinned A|[\n  1,\n  2\n]"}),
    withFourCopies("DeletingAPinnedEntryDeletesIt", {"pin 1", "delete 0", "items A|C|D"}),
    withFourCopies("ClearingKeepsThePins", {"pin 1", "pin 2", "clear", "items C|B", "copy E",
                                            "items C|B|E", "restart", "items C|B|E", "pinned C|B"}),
    withFourCopies("PinningTwiceChangesNothing",
                   {"pin 0", "journaled 5", "pin 0", "unpin 1", "journaled 5", "items A|B|C|D"}),
    // The file keeps the time order; the pin of D after every copy puts it on top.
    withFourCopies("TheFileKeepsTheTimeOrderWithEachPinAtItsMoment",
                   {"pin 3", "copy E", "pin 4", "wait 1000", "stored C|E|D|A|B", "restart",
                    "items C|D|E|A|B", "pinned C|D"}),
    withFourCopies("PinsSurviveAKill", {"pin 1", "pin 2", "restart", "items C|B|A|D", "pinned C|B",
                                        "wait 1000", "saved C|B|A|D", "restart", "items C|B|A|D"}),
    // Nothing at all of an ignored program's copy: no entry, no image file.
    {"AnIgnoredProgramsCopiesLeaveNoTrace",
     {"ignore KeePassXC| Pass ", "from keepassxc", "copy secret", "image \x89PNG", "from PASS",
      "copy token", "from KeePass", "copy kept", "from -", "copy unknown", "items unknown|kept",
      "files 0", "ignore ", "from KeePassXC", "copy again", "items again|unknown|kept"}},
};

INSTANTIATE_TEST_SUITE_P(Pins, Scripted, testing::ValuesIn(scripts), nameOf);

// The limit counts the entries that are not pinned: a full history with pins keeps all of
// them and the 500 newest others.
TEST_F(Controller, PinsAreNeverTrimmedAndAtMostAHundredArePinned) {
    writeNumberedHistory(historyLimit);
    launch();
    for (std::size_t each = 0; each < pinLimit; ++each) {
        play({"pin " + std::to_string(historyLimit - 1)});
    }
    play({"count 500", "refused 100", "toast 最多置顶 100 条", "count 500"});
    EXPECT_EQ(viewModel_->pinnedCount(), pinLimit);
    EXPECT_EQ(viewModel_->items().front().content(), "entry 400");
    for (std::size_t each = 0; each < historyLimit; ++each) {
        capture("new " + std::to_string(each));
    }
    EXPECT_EQ(viewModel_->items().size(), historyLimit + pinLimit);
    EXPECT_EQ(viewModel_->items()[pinLimit].content(), "new 499");
    EXPECT_EQ(viewModel_->items().back().content(), "new 0");
    EXPECT_EQ(viewModel_->items()[pinLimit - 1].content(), "entry 499");
    play({"flush", "restart"});
    EXPECT_EQ(viewModel_->items().size(), historyLimit + pinLimit);
    EXPECT_EQ(viewModel_->pinnedCount(), pinLimit);
}

}  // namespace
}  // namespace nimbrook
