#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture/ClipboardMonitor.h"
#include "model/NamedCase.h"
#include "support/InMemoryActiveApplication.h"
#include "support/InMemoryImageStore.h"
#include "support/InMemoryPasteboard.h"
#include "support/ManualClock.h"
#include "support/ManualScheduler.h"
#include "support/ManualWorkQueue.h"
#include "support/Steps.h"

namespace nimbrook {
namespace {

using namespace std::chrono_literals;
using Offer = InMemoryPasteboard::Offer;
using enum ContentType;

const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
const std::string tiff = std::string("II*\0\x08\0\0\0\xff\0", 10);
const std::string huge(8 * 1024 * 1024, 'x');

class MonitorFixture {
protected:
    MonitorFixture() {
        monitor_->setOnNewItem([this](const ClipboardItem& item) { captured_.push_back(item); });
    }

    void tick() { clock_.advance(500ms); }

    void play(const std::vector<std::string>& steps) {
        playSteps(steps, [this](const std::string& argument) { return verbs(argument); });
    }

    StepVerbs verbs(const std::string& argument) {
        return {
            {"start", [&] { monitor_->start(); }},
            {"stop", [&] { monitor_->stop(); }},
            {"destroy", [&] { monitor_.reset(); }},
            {"offer", [&] { pasteboard_.copyText(argument); }},
            {"offer-png", [&] { pasteboard_.copy(Offer{.png = png}); }},
            {"offer-captioned", [&] { pasteboard_.copy(Offer{.png = png, .text = argument}); }},
            {"wait", [&] { clock_.advance(std::chrono::milliseconds(std::stoi(argument))); }},
            {"tick", [&] { tick(); }},
            {"failing", [&] { images_.setFailing(argument == "on"); }},
            {"hold", [&] { workQueue_.hold(); }},
            {"release", [&] { workQueue_.release(); }},
            {"captured", [&] { EXPECT_EQ(captured_.size(), std::stoul(argument)); }},
            {"images", [&] { EXPECT_EQ(images_.files().size(), std::stoul(argument)); }},
            {"running",
             [&] {
                 EXPECT_EQ(monitor_ && monitor_->isRunning(), argument == "on");
                 EXPECT_EQ(scheduler_.activeRepeatingCount(), argument == "on" ? 1u : 0u);
             }},
        };
    }

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
    // The text of the item, or for an image the bytes of its file; nullopt: no item.
    std::optional<std::string> expected;
    ContentType type = plainText;
    bool imageStoreFails = false;
};

const std::vector<TickCase> tickCases = {
    {"SeveralCopiesGiveTheLast", {Offer{.text = "one"}, Offer{.text = "two"}}, "two"},
    {"BlankGivesNothing", {Offer{.text = " \n\t\r\u3000\u00a0\u2028\u0085"}}, std::nullopt},
    {"NoKnownTypeGivesNothing", {Offer{}}, std::nullopt},
    {"KeptUntrimmed", {Offer{.text = "\n\n  [1, 2]  \n\n"}}, "\n\n  [1, 2]  \n\n", json},
    {"InvalidUtf8Repaired", {Offer{.text = "a\xff\xfe-b"}}, "a\uFFFD\uFFFD-b"},
    {"PngBeatsTiffAndText", {Offer{.png = png, .tiff = tiff, .text = "caption"}}, png, image},
    {"TiffBeatsText", {Offer{.tiff = tiff, .text = "caption"}}, tiff, image},
    {"EmptyPngFallsBackToTiff", {Offer{.png = "", .tiff = tiff}}, tiff, image},
    {"EmptyImagesFallBackToText", {Offer{.png = "", .tiff = "", .text = "caption"}}, "caption"},
    {"FailedImageGivesTheText", {Offer{.png = png, .text = "caption"}}, "caption", plainText, true},
    {"FailedImageWithoutTextGivesNothing", {Offer{.png = png}}, std::nullopt, plainText, true},
    {"SecretSkipped", {Offer{.png = png, .text = "hunter2", .secret = true}}, std::nullopt},
    {"SecretThenPlainGivesPlain", {Offer{.text = "pw", .secret = true}, Offer{.text = "hi"}}, "hi"},
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
    ASSERT_EQ(captured_.size(), c.expected ? 1u : 0u);
    EXPECT_EQ(images_.files().size(), c.expected && c.type == image ? 1u : 0u);
    if (!c.expected) {
        return;
    }
    const ClipboardItem& item = captured_.front();
    EXPECT_EQ(item.contentType(), c.type);
    EXPECT_EQ(item.sourceApp(), "终端");
    EXPECT_EQ(item.timestamp(), clock_.now());
    EXPECT_EQ(c.type == image ? images_.files().at(item.content()) : item.content(), *c.expected);
}

INSTANTIATE_TEST_SUITE_P(Offers, MonitorTick, testing::ValuesIn(tickCases), nameOf);

struct Script {
    std::string name;
    std::vector<std::string> steps;
};

const Script scripts[] = {
    {"FirstTickHalfASecondAfterStartAndNothingWithoutAChange",
     {"start", "offer a", "wait 499", "captured 0", "wait 1", "captured 1", "wait 5000",
      "captured 1"}},
    {"ChangeIsConsumedEvenWhenItGivesNoItem",
     {"failing on", "start", "offer-png", "tick", "failing off", "tick", "captured 0", "images 0"}},
    // The file is written off the owner's thread, and whole before its item is handed over.
    {"TheImageIsWrittenOnTheWorkerBeforeItsItemArrives",
     {"start", "hold", "offer-png", "tick", "images 0", "captured 0", "release", "images 1",
      "captured 1"}},
    // The caption stands in for a failed image only while its offer is still the clipboard's.
    {"AFailedImageGivesNoCaptionOnceTheOfferIsReplaced",
     {"failing on", "start", "hold", "offer-captioned caption", "tick", "offer next", "release",
      "captured 0", "tick", "captured 1"}},
    {"CopiesMadeBeforeStartOrWhileStoppedAreIgnored",
     {"offer before start", "tick", "start", "tick", "stop", "offer while stopped", "tick", "start",
      "tick", "captured 0"}},
    {"StartAndStopAreIdempotentAndASecondStartKeepsAPendingChange",
     {"start", "offer pending", "start", "running on", "tick", "captured 1", "stop", "stop",
      "running off"}},
};

class Scripted : public MonitorFixture, public testing::TestWithParam<Script> {};

TEST_P(Scripted, TakesTheSteps) {
    play(GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(Steps, Scripted, testing::ValuesIn(scripts), nameOf);

class Monitor : public MonitorFixture, public testing::Test {};

TEST_F(Monitor, SameTextTwiceGivesTwoItemsWithoutAFrontmostApplication) {
    play({"start", "offer same", "tick", "offer same", "tick"});
    ASSERT_EQ(captured_.size(), 2u);
    EXPECT_NE(captured_[0].id(), captured_[1].id());
    EXPECT_FALSE(captured_[0].sourceApp().has_value());
}

// The worker may classify a large text while later copies come in: items still arrive in the
// order of the ticks, and none reaches a monitor that is gone.
TEST_F(Monitor, ItemsHeldOnTheQueueArriveInTickOrderAndNeverAfterTheMonitor) {
    play({"start", "hold", "offer " + huge, "tick", "offer-png", "tick", "captured 0", "release"});
    ASSERT_EQ(captured_.size(), 2u);
    EXPECT_EQ(captured_[0].content().size(), huge.size());
    EXPECT_EQ(captured_[1].contentType(), image);
    play({"hold", "offer late", "tick", "destroy", "release", "captured 2"});
}

}  // namespace
}  // namespace nimbrook
