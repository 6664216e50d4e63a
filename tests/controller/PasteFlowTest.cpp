#include <optional>
#include <string>
#include <vector>

#include "ControllerFixture.h"
#include "controller/ImageCopy.h"
#include "controller/PasteFlow.h"
#include "support/ScriptedPasteRoute.h"

namespace nimbrook {
namespace {

using Timeline = ScriptedPasteRoute::Timeline;
using Focus = PasteRoute::Focus;

struct PasteCase {
    const char* name;
    Timeline timeline;
    std::string program = "gedit";
    // The chord and its moment from the refocus, when keys are sent.
    std::optional<KeyChord> chord = KeyChord::controlV();
    std::chrono::milliseconds sentAt{0};
    // Why nothing was typed, when nothing was.
    std::string reason = {};
};

const PasteCase pasteCases[] = {
    {"focusAlreadyBack", {}},
    {"waitsForTheFocusToReturn", {.focusBackAt = 120ms}, "gedit", KeyChord::controlV(), 120ms},
    {"focusBackJustInTime", {.focusBackAt = 500ms}, "gedit", KeyChord::controlV(), 500ms},
    {"terminalGetsControlShiftV", {}, "XTerm", KeyChord::controlShiftV()},
    {"waitsForModifiersAfterTheFocus",
     {.focusBackAt = 30ms, .modifiersReleasedAt = 250ms},
     "gedit",
     KeyChord::controlV(),
     250ms},
    {"modifiersReleasedJustInTime",
     {.focusBackAt = 100ms, .modifiersReleasedAt = 2100ms},
     "gedit",
     KeyChord::controlV(),
     2100ms},
    {"focusNeverReturns",
     {.focusBackAt = std::nullopt},
     "gedit",
     std::nullopt,
     0ms,
     "焦点已不在原窗口，没有发送按键"},
    {"focusReturnsTooLate",
     {.focusBackAt = 520ms},
     "gedit",
     std::nullopt,
     0ms,
     "焦点已不在原窗口，没有发送按键"},
    {"ownWindowKeepsTheFocus",
     {.focusBackAt = std::nullopt, .otherwise = Focus::own},
     "gedit",
     std::nullopt,
     0ms,
     "焦点在萤川自己的窗口上，没有发送按键"},
    {"userSwitchesWindowsWhileHoldingShift",
     {.focusLeavesAt = 200ms, .modifiersReleasedAt = 400ms},
     "gedit",
     std::nullopt,
     0ms,
     "焦点已不在原窗口，没有发送按键"},
    {"modifiersHeldTooLong",
     {.modifiersReleasedAt = std::nullopt},
     "gedit",
     std::nullopt,
     0ms,
     "修饰键一直按着，没有发送按键"},
};

class PasteFlowCases : public ControllerFixture, public testing::WithParamInterface<PasteCase> {};

TEST_P(PasteFlowCases, typesOnlyIntoTheRememberedWindow) {
    const PasteCase& row = GetParam();
    writeHistory({makeItem("第一行\n第二行"), makeItem("older")});
    launch();
    ScriptedPasteRoute route(clock_, row.timeline, row.program);
    PasteFlow flow({*viewModel_, route, scheduler_, [](std::string_view program) {
                        return program == "XTerm" ? KeyChord::controlShiftV()
                                                  : KeyChord::controlV();
                    }});
    std::vector<PasteRoute::SendResult> results;
    const std::size_t timers = scheduler_.activeRepeatingCount();
    flow.rememberTarget();
    flow.pasteIntoRemembered(
        viewModel_->items()[0],
        [&results](const PasteRoute::SendResult& result) { results.push_back(result); });
    // Copied at once, as a click does, whatever comes of the keys.
    EXPECT_EQ(pasteboard_.string(), "第一行\n第二行");
    EXPECT_EQ(viewModel_->copiedFlash(), viewModel_->items()[0].id());
    clock_.advance(3s);

    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].sent, row.chord.has_value());
    EXPECT_EQ(results[0].reason, row.reason);
    ASSERT_EQ(route.sent_.size(), row.chord ? 1u : 0u);
    if (row.chord) {
        EXPECT_EQ(route.sent_[0].chord, *row.chord);
        EXPECT_EQ(route.sent_[0].at, row.sentAt);
    }
    EXPECT_EQ(route.refocusCount_, 1);
    EXPECT_EQ(scheduler_.activeRepeatingCount(), timers);
    // The clipboard keeps the pasted entry: nothing older is put back.
    clock_.advance(10s);
    EXPECT_EQ(pasteboard_.string(), "第一行\n第二行");
    EXPECT_EQ(pasteboard_.writeCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Timelines, PasteFlowCases, testing::ValuesIn(pasteCases), nameOf);

// A desktop that tells the keys held only to the focused program: the panel keeps the focus
// until they are let go, and only then hides and gives it back.
struct ReleaseCase {
    const char* name;
    std::optional<std::chrono::milliseconds> releasedAt;
    // When the panel hid, counted from the paste; nullopt: it stayed.
    std::optional<std::chrono::milliseconds> leftAt;
    bool sent;
};

const ReleaseCase releaseCases[] = {
    {"alreadyReleased", 0ms, 0ms, true},
    {"releasedWhileThePanelHasTheFocus", 170ms, 170ms, true},
    {"heldTooLong", std::nullopt, std::nullopt, false},
};

class PasteFlowRelease : public ControllerFixture,
                         public testing::WithParamInterface<ReleaseCase> {};

TEST_P(PasteFlowRelease, thePanelHidesOnlyOnceTheModifiersAreLetGo) {
    const ReleaseCase& row = GetParam();
    writeHistory({makeItem("text")});
    launch();
    ScriptedPasteRoute route(
        clock_, {.modifiersReleasedAt = row.releasedAt, .modifiersSeenOnlyInOwnWindows = true},
        "kate");
    PasteFlow flow(
        {*viewModel_, route, scheduler_, [](std::string_view) { return KeyChord::controlV(); }});
    flow.rememberTarget();
    std::optional<std::chrono::milliseconds> leftAt;
    int refocusesBeforeLeaving = -1;
    std::optional<PasteRoute::SendResult> result;
    const auto start = clock_.elapsed();
    flow.pasteIntoRemembered(
        viewModel_->items()[0], [&result](const PasteRoute::SendResult& r) { result = r; },
        [&] {
            leftAt = clock_.elapsed() - start;
            refocusesBeforeLeaving = route.refocusCount_;
        });
    clock_.advance(3s);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->sent, row.sent) << result->reason;
    EXPECT_EQ(leftAt, row.leftAt);
    EXPECT_EQ(route.refocusCount_, row.leftAt ? 1 : 0);
    EXPECT_EQ(refocusesBeforeLeaving, row.leftAt ? 0 : -1);
    EXPECT_EQ(route.sent_.size(), row.sent ? 1u : 0u);
    EXPECT_EQ(pasteboard_.string(), "text");
}

INSTANTIATE_TEST_SUITE_P(OwnWindowsOnly, PasteFlowRelease, testing::ValuesIn(releaseCases), nameOf);

struct OutcomeCase {
    const char* name;
    std::optional<std::string> unavailable;
    PasteRoute::SendResult answer;
    bool toast;
};

const OutcomeCase outcomeCases[] = {
    {"sent", std::nullopt, {.sent = true, .reason = {}}, false},
    {"routeRefusesTheKeys", std::nullopt, {.sent = false, .reason = "拒绝"}, true},
    {"desktopAllowsNoKeys", "桌面不允许", {.sent = false, .reason = "桌面不允许"}, true},
};

class PasteFlowOutcomes : public ControllerFixture,
                          public testing::WithParamInterface<OutcomeCase> {};

TEST_P(PasteFlowOutcomes, copiesAndSaysWhenNothingWasTyped) {
    const OutcomeCase& row = GetParam();
    writeHistory({makeItem("text")});
    launch();
    ScriptedPasteRoute route(clock_, {}, "kate");
    route.unavailable_ = row.unavailable;
    route.answer_ = row.answer;
    PasteFlow flow(
        {*viewModel_, route, scheduler_, [](std::string_view) { return KeyChord::controlV(); }});
    std::optional<PasteRoute::SendResult> result;
    flow.pasteIntoFocused(viewModel_->items()[0],
                          [&result](const PasteRoute::SendResult& r) { result = r; });
    EXPECT_EQ(viewModel_->toastMessage(),
              row.toast ? std::optional<std::string>(PasteFlow::notPastedToast) : std::nullopt);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->sent, row.answer.sent);
    EXPECT_EQ(result->reason, row.answer.reason);
    EXPECT_EQ(route.rememberCount_, 1);
    EXPECT_EQ(route.refocusCount_, 0);
    EXPECT_EQ(route.sent_.size(), row.unavailable ? 0u : 1u);
    EXPECT_EQ(pasteboard_.string(), "text");
}

INSTANTIATE_TEST_SUITE_P(Outcomes, PasteFlowOutcomes, testing::ValuesIn(outcomeCases), nameOf);

TEST_F(Controller, APasteGivenUpForANewOneTypesNothingLate) {
    writeHistory({makeItem("new"), makeItem("old")});
    launch();
    ScriptedPasteRoute route(clock_, {}, "kate");
    route.answersLater_ = true;
    PasteFlow flow(
        {*viewModel_, route, scheduler_, [](std::string_view) { return KeyChord::controlV(); }});
    std::vector<std::string> outcomes;
    const auto record = [&outcomes](const PasteRoute::SendResult& r) {
        outcomes.push_back(r.sent ? "sent" : r.reason);
    };
    flow.pasteIntoRemembered(viewModel_->items()[1], record);
    flow.pasteIntoRemembered(viewModel_->items()[0], record);
    ASSERT_EQ(route.pending_.size(), 2u);
    route.pending_[0]({.sent = true, .reason = {}});
    route.pending_[1]({.sent = true, .reason = {}});
    EXPECT_EQ(outcomes, (std::vector<std::string>{"被新的粘贴取代", "sent"}));
    EXPECT_EQ(pasteboard_.string(), "new");
}

// A large picture is read on the work queue: the keys wait for it to be on the pasteboard, as
// long as they would wait for the modifiers, and are never sent over what the clipboard held.
TEST_F(Controller, APictureStillReadIsWaitedForBeforeTheKeys) {
    const std::string path = (root_.path() / "clipboard_1700000000.png").string();
    writeFile(path,
              std::string("\x89PNG\r\n\x1a\n") + std::string(ImageCopy::readAtOnceBytes, 'x'));
    writeHistory({makeItem(path, ContentType::image)});
    launch();
    for (const bool readInTime : {true, false}) {
        ScriptedPasteRoute route(clock_, {}, "kate");
        PasteFlow flow({*viewModel_, route, scheduler_,
                        [](std::string_view) { return KeyChord::controlV(); }});
        std::optional<PasteRoute::SendResult> result;
        workQueue_.hold();
        flow.pasteIntoFocused(viewModel_->items()[0],
                              [&result](const PasteRoute::SendResult& r) { result = r; });
        clock_.advance(readInTime ? 300ms : 2100ms);
        EXPECT_EQ(result.has_value(), !readInTime);
        workQueue_.release();
        clock_.advance(100ms);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->sent, readInTime);
        EXPECT_EQ(result->reason, readInTime ? "" : "图片还没有放到剪贴板上，没有发送按键");
        EXPECT_TRUE(pasteboard_.image().has_value());
    }
}

}  // namespace
}  // namespace nimbrook
