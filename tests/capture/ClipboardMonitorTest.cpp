#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture/ClipboardMonitor.h"
#include "support/InMemoryActiveApplication.h"
#include "support/InMemoryImageStore.h"
#include "support/InMemoryPasteboard.h"
#include "support/ManualClock.h"
#include "support/ManualScheduler.h"
#include "support/ManualWorkQueue.h"

namespace nimbrook {
namespace {

using namespace std::chrono_literals;
using Offer = InMemoryPasteboard::Offer;

class MonitorFixture {
protected:
    MonitorFixture() {
        monitor_->setOnNewItem([this](const ClipboardItem& item) { captured_.push_back(item); });
    }

    void tick() { clock_.advance(500ms); }

    InMemoryPasteboard pasteboard_;
    InMemoryActiveApplication activeApplication_;
    InMemoryImageStore images_;
    ManualClock clock_;
    ManualScheduler scheduler_{clock_};
    ManualWorkQueue workQueue_;
    std::unique_ptr<ClipboardMonitor> monitor_ =
        std::make_unique<ClipboardMonitor>(ClipboardMonitor::Services{
            pasteboard_, activeApplication_, images_, scheduler_, clock_, workQueue_});
    std::vector<ClipboardItem> captured_;
};

// What one tick makes of the offers copied since the last one.
struct TickCase {
    std::string name;
    std::vector<Offer> offers;
    bool imageStoreFails = false;
    // The text of the item, or for an image the bytes of its file; nullopt: no item.
    std::optional<std::string> expected;
    ContentType expectedType = ContentType::plainText;
};

const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
const std::string tiff = std::string("II*\0\x08\0\0\0\xff\0", 10);
const std::string huge(8 * 1024 * 1024, 'x');

const std::vector<TickCase> tickCases = {
    {"SeveralCopiesGiveTheLast", {Offer{.text = "one"}, Offer{.text = "two"}}, false, "two"},
    {"BlankGivesNothing", {Offer{.text = " \n\t\r\u3000\u00a0\u2028\u0085"}}, false, std::nullopt},
    {"NoKnownTypeGivesNothing", {Offer{}}, false, std::nullopt},
    {"KeptUntrimmed",
     {Offer{.text = "\n\n  [1, 2]  \n\n"}},
     false,
     "\n\n  [1, 2]  \n\n",
     ContentType::json},
    {"InvalidUtf8Repaired",
     {Offer{.text = "a\xff\xfe"
                    "b"}},
     false,
     "a\uFFFD\uFFFDb"},
    {"HugeTextKeptWhole", {Offer{.text = huge}}, false, huge},
    {"PngBeatsTiffAndText",
     {Offer{.png = png, .tiff = tiff, .text = "caption"}},
     false,
     png,
     ContentType::image},
    {"TiffBeatsText", {Offer{.tiff = tiff, .text = "caption"}}, false, tiff, ContentType::image},
    {"EmptyPngFallsBackToTiff", {Offer{.png = "", .tiff = tiff}}, false, tiff, ContentType::image},
    {"EmptyImagesFallBackToText",
     {Offer{.png = "", .tiff = "", .text = "caption"}},
     false,
     "caption"},
    {"ImageWriteFailureFallsBackToText", {Offer{.png = png, .text = "caption"}}, true, "caption"},
    {"ImageWriteFailureWithoutText", {Offer{.png = png}}, true, std::nullopt},
    {"SecretSkipped", {Offer{.png = png, .text = "hunter2", .secret = true}}, false, std::nullopt},
    {"SecretThenPlainGivesPlain",
     {Offer{.text = "pw", .secret = true}, Offer{.text = "hi"}},
     false,
     "hi"},
};

class MonitorTick : public MonitorFixture, public testing::TestWithParam<TickCase> {};

TEST_P(MonitorTick, MakesAtMostOneItem) {
    const TickCase& c = GetParam();
    images_.setFailing(c.imageStoreFails);
    activeApplication_.setFrontmostName("终端");
    monitor_->start();
    for (const Offer& offer : c.offers) {
        pasteboard_.copy(offer);
    }
    tick();

    if (!c.expected) {
        EXPECT_TRUE(captured_.empty());
        EXPECT_TRUE(images_.files().empty());
        return;
    }
    ASSERT_EQ(captured_.size(), 1u);
    const ClipboardItem& item = captured_.front();
    EXPECT_EQ(item.contentType(), c.expectedType);
    EXPECT_EQ(item.sourceApp(), "终端");
    EXPECT_EQ(item.timestamp(), clock_.now());
    if (c.expectedType == ContentType::image) {
        ASSERT_EQ(images_.files().size(), 1u);
        EXPECT_EQ(images_.files().begin()->first, item.content());
        EXPECT_TRUE(item.content().ends_with(".png"));
        EXPECT_EQ(images_.files().begin()->second, *c.expected);
    } else {
        EXPECT_TRUE(item.content() == *c.expected) << item.content().substr(0, 80);
    }
}

INSTANTIATE_TEST_SUITE_P(Offers, MonitorTick, testing::ValuesIn(tickCases),
                         [](const auto& info) { return info.param.name; });

class Monitor : public MonitorFixture, public testing::Test {};

TEST_F(Monitor, SameTextTwiceGivesTwoItemsWithoutAFrontmostApplication) {
    monitor_->start();
    pasteboard_.copyText("same");
    tick();
    pasteboard_.copyText("same");
    tick();
    ASSERT_EQ(captured_.size(), 2u);
    EXPECT_NE(captured_[0].id(), captured_[1].id());
    EXPECT_FALSE(captured_[0].sourceApp().has_value());
}

TEST_F(Monitor, FirstTickHalfASecondAfterStartAndNothingWithoutAChange) {
    monitor_->start();
    pasteboard_.copyText("a");
    clock_.advance(499ms);
    EXPECT_TRUE(captured_.empty());
    clock_.advance(1ms);
    EXPECT_EQ(captured_.size(), 1u);
    clock_.advance(5s);
    EXPECT_EQ(captured_.size(), 1u);
}

TEST_F(Monitor, ChangeIsConsumedEvenWhenItGivesNoItem) {
    images_.setFailing(true);
    monitor_->start();
    pasteboard_.copy(Offer{.png = png});
    tick();
    images_.setFailing(false);
    tick();
    EXPECT_TRUE(captured_.empty());
    EXPECT_TRUE(images_.files().empty());
}

TEST_F(Monitor, CopiesMadeBeforeStartOrWhileStoppedAreIgnored) {
    pasteboard_.copyText("before start");
    tick();
    monitor_->start();
    tick();
    monitor_->stop();
    pasteboard_.copyText("while stopped");
    tick();
    monitor_->start();
    tick();
    EXPECT_TRUE(captured_.empty());
}

TEST_F(Monitor, StartAndStopAreIdempotentAndASecondStartKeepsAPendingChange) {
    monitor_->start();
    pasteboard_.copyText("pending");
    monitor_->start();
    EXPECT_TRUE(monitor_->isRunning());
    EXPECT_EQ(scheduler_.activeRepeatingCount(), 1u);
    tick();
    EXPECT_EQ(captured_.size(), 1u);

    monitor_->stop();
    monitor_->stop();
    EXPECT_FALSE(monitor_->isRunning());
    EXPECT_EQ(scheduler_.activeRepeatingCount(), 0u);
}

TEST_F(Monitor, DestructionCancelsTheTimer) {
    monitor_->start();
    monitor_.reset();
    EXPECT_EQ(scheduler_.activeRepeatingCount(), 0u);
    pasteboard_.copyText("after");
    tick();
    EXPECT_TRUE(captured_.empty());
}

// The worker may classify a large text while later copies come in: items still arrive in the
// order of the ticks, and none reaches a monitor that is gone.
TEST_F(Monitor, ItemsHeldOnTheQueueArriveInTickOrderAndNeverAfterTheMonitor) {
    monitor_->start();
    workQueue_.hold();
    pasteboard_.copyText(huge);
    tick();
    pasteboard_.copy(Offer{.png = png});
    tick();
    EXPECT_TRUE(captured_.empty());
    workQueue_.release();
    ASSERT_EQ(captured_.size(), 2u);
    EXPECT_EQ(captured_[0].content().size(), huge.size());
    EXPECT_EQ(captured_[1].contentType(), ContentType::image);

    workQueue_.hold();
    pasteboard_.copyText("late");
    tick();
    monitor_.reset();
    workQueue_.release();
    EXPECT_EQ(captured_.size(), 2u);
}

}  // namespace
}  // namespace nimbrook
