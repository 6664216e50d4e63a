#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/SplitPasteRoute.h"
#include "support/ScriptedPasteRoute.h"

namespace nimbrook {
namespace {

using Focus = PasteRoute::Focus;

struct SplitCase {
    const char* name;
    bool firstRemembers;
    std::optional<std::string> secondUnavailable;
    // What the split route answers, all from the route it chose.
    std::string program;
    Focus focus;
    std::optional<std::string> unavailable;
    bool modifiersSeenElsewhere;
};

const SplitCase splitCases[] = {
    {"anX11WindowGoesThroughTheFirst", true, "没有门户", "XTerm", Focus::remembered, std::nullopt,
     true},
    {"anyOtherThroughTheSecond", false, std::nullopt, "", Focus::own, std::nullopt, false},
    {"theSecondsReasonOnlyWhenItIsChosen", false, "没有门户", "", Focus::own, "没有门户", false},
};

class SplitPasteRouteCases : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitPasteRouteCases, eachWindowIsPastedIntoThroughTheRouteThatFoundIt) {
    const SplitCase& row = GetParam();
    ManualClock clock;
    auto first =
        std::make_unique<ScriptedPasteRoute>(clock, ScriptedPasteRoute::Timeline{}, "XTerm");
    auto second = std::make_unique<ScriptedPasteRoute>(
        clock,
        ScriptedPasteRoute::Timeline{.focusBackAt = std::nullopt,
                                     .otherwise = Focus::own,
                                     .modifiersSeenOnlyInOwnWindows = true},
        "");
    second->unavailable_ = row.secondUnavailable;
    ScriptedPasteRoute& x11 = *first;
    ScriptedPasteRoute& portal = *second;
    SplitPasteRoute route(std::move(first), std::move(second),
                          [&row] { return row.firstRemembers; });

    route.rememberFocusedWindow();
    EXPECT_EQ(x11.rememberCount_, 1);
    EXPECT_EQ(portal.rememberCount_, 1);
    EXPECT_EQ(route.rememberedProgram(), row.program);
    EXPECT_EQ(route.focus(), row.focus);
    EXPECT_EQ(route.unavailableReason(), row.unavailable);
    EXPECT_EQ(route.seesModifiersElsewhere(), row.modifiersSeenElsewhere);
    route.refocusRememberedWindow();
    route.sendChord(KeyChord::controlV(), [](PasteRoute::SendResult) {});
    const ScriptedPasteRoute& chosen = row.firstRemembers ? x11 : portal;
    const ScriptedPasteRoute& other = row.firstRemembers ? portal : x11;
    EXPECT_EQ(chosen.refocusCount_, 1);
    EXPECT_EQ(chosen.sent_.size(), 1u);
    EXPECT_EQ(other.refocusCount_, 0);
    EXPECT_TRUE(other.sent_.empty());
}

INSTANTIATE_TEST_SUITE_P(Windows, SplitPasteRouteCases, testing::ValuesIn(splitCases), nameOf);

}  // namespace
}  // namespace nimbrook
