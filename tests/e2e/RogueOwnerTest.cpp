#include <fstream>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

constexpr auto quickAnswer = std::chrono::seconds(1);
// Longer than the stall a silent owner may cost the program's reader, which the panel's
// thread must not feel.
constexpr auto watched = std::chrono::seconds(4);
constexpr std::size_t peakLimitKilobytes = 200 * 1024;
// What a sanitizer build's allocator keeps beside the bytes the reader holds.
constexpr std::size_t slackKilobytes = 48 * 1024;
const std::string largeBytes = std::to_string(200 << 20);

// An owner that misbehaves, what its log says once the program asked it, the text that must
// be recorded of it (none: nothing at all, the history keeps only the copies around it), and
// the most that the program may hold of it while it reads (past that it stops reading).
struct RogueCase {
    std::string name;
    std::vector<std::string> arguments;
    std::string asked;
    std::string recorded;
    std::size_t heldMegabytes = 0;
};

const std::vector<RogueCase> cases{
    {"NeverAnswers", {"silent"}, "asked TARGETS", ""},
    {"IncrAnnouncingTwoHundredMegabytes",
     {"incr", largeBytes, largeBytes},
     "asked UTF8_STRING",
     ""},
    {"IncrSendingTwoHundredMegabytesUnannounced",
     {"incr", "1024", largeBytes},
     "asked UTF8_STRING",
     "",
     128},
    {"RandomAtomNumbersAsTargets",
     {"random", "among random atoms"},
     "asked UTF8_STRING",
     "among random atoms"},
    {"TargetsAsAString", {"bytes", "not atoms"}, "asked TARGETS", ""},
    {"FiveHundredTargets",
     {"many", "500", "after 500 types"},
     "asked UTF8_STRING",
     "after 500 types"},
    {"ClaimsTwoHundredTimesASecond", {"flap", "600", "settled flap"}, "settled", "settled flap"},
};

void PrintTo(const RogueCase& rogue, std::ostream* stream) {
    *stream << rogue.name;
}

class RogueOwnerTest : public NimbrookFixture, public testing::WithParamInterface<RogueCase> {
protected:
    // The program's peak resident memory so far (VmHWM), in kilobytes.
    std::size_t peakKilobytes() const {
        std::ifstream status("/proc/" + std::to_string(program_->processId()) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("VmHWM:")) {
                return std::stoul(line.substr(6));
            }
        }
        return 0;
    }

    // Runs `nimbrook list` again and again for `span`; false once a run fails or is slow.
    ::testing::AssertionResult listsQuicklyFor(std::chrono::milliseconds span) const {
        const auto end = std::chrono::steady_clock::now() + span;
        do {
            const auto start = std::chrono::steady_clock::now();
            const auto result = nimbrook({"list"});
            const auto took = std::chrono::steady_clock::now() - start;
            if (result.status != 0 || took > quickAnswer) {
                return ::testing::AssertionFailure()
                       << "nimbrook list took "
                       << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                       << " ms, status " << result.status.value_or(-1);
            }
        } while (std::chrono::steady_clock::now() < end);
        return ::testing::AssertionSuccess();
    }
};

// Whatever the owner does, the panel's thread keeps answering, the program's memory stays far
// below what the owner offers, the copy of the next owner is recorded at its usual pace, and
// nothing is recorded but what the owner offered in good form.
TEST_P(RogueOwnerTest, LeavesTheProgramResponsiveAndRecordsOnlyWhatIsValid) {
    const RogueCase& rogue = GetParam();
    ASSERT_NO_FATAL_FAILURE(startProgram());
    copyWithXclip({"UTF8_STRING", "before"});
    ASSERT_TRUE(newestIs("before"));
    const auto idleKilobytes = peakKilobytes();

    auto arguments = rogue.arguments;
    arguments.insert(arguments.begin(), NIMBROOK_ROGUE_OWNER);
    keep(arguments, "rogue");
    ASSERT_TRUE(eventually([&] {
        return readFile(root_ / "rogue.log").find(rogue.asked + "\n") != std::string::npos;
    })) << readFile(root_ / "rogue.log");
    EXPECT_TRUE(listsQuicklyFor(watched));
    if (!rogue.recorded.empty()) {
        EXPECT_TRUE(newestIs(rogue.recorded));
    }

    copyWithXclip({"UTF8_STRING", "after"});
    EXPECT_TRUE(newestIs("after", std::chrono::seconds(5)));
    const std::size_t peak = peakKilobytes();
    EXPECT_LT(peak - idleKilobytes, rogue.heldMegabytes * 1024 + slackKilobytes)
        << "idle: " << idleKilobytes << " kB, peak: " << peak << " kB";
    if (rogue.heldMegabytes == 0) {
        EXPECT_LT(peak, peakLimitKilobytes);
    }
    const auto entries = history().value_or(std::vector<HistoryEntry>{});
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries.back().content, "before");
    for (const auto& entry : entries) {
        const bool expected =
            entry.content == "before" || entry.content == "after" ||
            (!rogue.recorded.empty() && entry.content.starts_with(rogue.recorded));
        EXPECT_TRUE(expected) << "recorded: " << entry.content.substr(0, 100);
    }
    if (rogue.recorded.empty()) {
        EXPECT_EQ(entries.size(), 2u);
    }
    EXPECT_FALSE(program_->waitForExit(std::chrono::milliseconds(0))) << "the program ended";
}

INSTANTIATE_TEST_SUITE_P(Owners, RogueOwnerTest, testing::ValuesIn(cases),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace nimbrook::e2e
