#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ManualScheduler.h"

namespace nimbrook {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

class ManualSchedulerTest : public testing::Test {
protected:
    std::function<void()> logger(std::string name) {
        return
            [this, name] { log_.push_back(name + "@" + std::to_string(clock_.elapsed().count())); };
    }

    ManualClock clock_;
    ManualScheduler scheduler_{clock_};
    Strings log_;
};

// A timer re-arms when it fires, so at one moment it runs after work scheduled before that.
TEST_F(ManualSchedulerTest, RunsDueWorkInTimeOrderAtItsOwnTime) {
    const auto timer = scheduler_.repeat(500ms, logger("tick"));
    const auto late = scheduler_.after(1200ms, logger("late"));
    const auto early = scheduler_.after(300ms, logger("early"));
    const auto sameTime = scheduler_.after(1000ms, logger("second"));
    clock_.advance(1500ms);
    EXPECT_EQ(log_, (Strings{"early@300", "tick@500", "second@1000", "tick@1000", "late@1200",
                             "tick@1500"}));
    EXPECT_EQ(clock_.elapsed(), 1500ms);
}

TEST_F(ManualSchedulerTest, CancelledDroppedOrSelfCancelledWorkNeverRunsAgain) {
    scheduler_.after(100ms, logger("dropped"));
    auto cancelled = scheduler_.after(100ms, logger("cancelled"));
    cancelled->cancel();
    std::unique_ptr<TaskHandle> follower;
    std::unique_ptr<TaskHandle> timer;
    timer = scheduler_.repeat(100ms, [&] {
        logger("tick")();
        follower = scheduler_.after(50ms, logger("follow"));
        timer->cancel();
    });
    clock_.advance(1s);
    EXPECT_EQ(log_, (Strings{"tick@100", "follow@150"}));
    EXPECT_EQ(scheduler_.activeRepeatingCount(), 0u);
    EXPECT_EQ(scheduler_.pendingDelayedCount(), 0u);
}

TEST_F(ManualSchedulerTest, HandleMayOutliveTheScheduler) {
    auto scheduler = std::make_unique<ManualScheduler>(clock_);
    auto handle = scheduler->after(1s, logger("never"));
    scheduler.reset();
    handle->cancel();
    handle.reset();
    clock_.advance(2s);
    EXPECT_TRUE(log_.empty());
}

}  // namespace
}  // namespace nimbrook
