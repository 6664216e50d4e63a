#include <algorithm>
#include <fstream>
#include <sstream>

#include <poll.h>

#include "NimbrookFixture.h"
#include "SwayServer.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/WaylandConnection.h"

namespace nimbrook::e2e {
namespace {

// Short enough to keep the test quick, long enough for a loaded machine.
const DataControlPasteboard::Limits limits{
    {std::chrono::milliseconds(1500), std::chrono::seconds(20)}, 24 << 20};

std::vector<Flavour> withFillers(std::vector<Flavour> flavours, int count) {
    for (int i = 0; i < count; ++i) {
        flavours.emplace_back("application/x-filler-" + std::to_string(i), "");
    }
    return flavours;
}

// One offer from another program and what the pasteboard must make of it.
struct OfferCase {
    std::string name;
    std::string mode;
    std::vector<Flavour> flavours;
    std::optional<std::string> text;
    std::optional<std::string> png;
    bool secret = false;
};

const std::vector<OfferCase> offerCases{
    {"PreferredTextType",
     "serve",
     {{"text/plain", "plain"}, {"text/plain;charset=utf-8", "萤川 utf-8"}},
     "萤川 utf-8",
     {},
     false},
    {"TextFromX11Program", "serve", {{"UTF8_STRING", "x11"}}, "x11", {}, false},
    {"InvalidUtf8Repaired", "serve", {{"text/plain", "a\xff\xfe b"}}, "a\uFFFD\uFFFD b", {}, false},
    {"SecretHint",
     "serve",
     {{"text/plain", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}},
     "hunter2",
     {},
     true},
    {"TwoHundredTypes", "serve", withFillers({{"text/plain", "many"}}, 199), "many", {}, false},
    {"NeverWrites", "silent", {{"text/plain", "never sent"}}, {}, {}, false},
    {"DiesHalfway", "partial", {{"text/plain", "the whole text, not half of it"}}, {}, {}, false},
};

std::string nameOf(const testing::TestParamInfo<OfferCase>& info) {
    return info.param.name;
}

class DataControlPasteboardTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sway_.socket().empty()) << sway_.log();
        root_ = sway_.socket() + ".test";
        std::filesystem::create_directory(root_);
        connection_ = std::make_unique<WaylandConnection>(sway_.socket(), log_);
        pasteboard_ = std::make_unique<DataControlPasteboard>(*connection_, limits);
        ASSERT_TRUE(pasteboard_->isAvailable());
    }

    void TearDown() override {
        sources_.clear();
        pasteboard_.reset();
        connection_.reset();
        std::filesystem::remove_all(root_);
    }

    // Offers `flavours` from a program of its own and waits until the pasteboard sees it.
    void offer(const std::string& mode, const std::vector<Flavour>& flavours) {
        startSource(mode, flavours);
        ASSERT_TRUE(changes()) << readFile(root_ / "source.log");
    }

    void startSource(const std::string& mode, const std::vector<Flavour>& flavours) {
        std::vector<std::string> arguments{NIMBROOK_WL_SOURCE, (root_ / "served").string(), mode};
        for (std::size_t i = 0; i < flavours.size(); ++i) {
            const auto file = root_ / std::to_string(i);
            std::ofstream(file, std::ios::binary) << flavours[i].second;
            arguments.push_back(flavours[i].first + "=" + file.string());
        }
        auto environment = sway_.environment();
        environment.emplace_back("LSAN_OPTIONS=suppressions=" NIMBROOK_LSAN_SUPPRESSIONS);
        sources_.push_back(
            std::make_unique<ChildProcess>(arguments, environment, root_ / "source.log"));
    }

    // Serves the connection until the change count moves.
    bool changes() {
        const auto before = pasteboard_->changeCount();
        return eventually([&] {
            pollfd readable{connection_->fd(), POLLIN, 0};
            ::poll(&readable, 1, 50);
            connection_->dispatch();
            return pasteboard_->changeCount() != before;
        });
    }

    SwayServer sway_;
    std::filesystem::path root_;
    std::ostringstream log_;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<DataControlPasteboard> pasteboard_;
    std::vector<std::unique_ptr<ChildProcess>> sources_;
};

class OfferTest : public DataControlPasteboardTest,
                  public testing::WithParamInterface<OfferCase> {};

TEST_P(OfferTest, ReadsWhatTheSourceDelivers) {
    const auto& offerCase = GetParam();
    ASSERT_NO_FATAL_FAILURE(offer(offerCase.mode, offerCase.flavours));
    EXPECT_EQ(pasteboard_->mimeTypes().size(), offerCase.flavours.size());
    EXPECT_EQ(pasteboard_->isSecret(), offerCase.secret);
    EXPECT_TRUE(pasteboard_->pngData() == offerCase.png) << "PNG bytes differ";
    EXPECT_TRUE(pasteboard_->string() == offerCase.text) << "text differs";
    // The next offer is read as usual, whatever this one did.
    ASSERT_NO_FATAL_FAILURE(offer("serve", {{"text/plain", "next"}}));
    EXPECT_EQ(pasteboard_->string(), "next");
}

INSTANTIATE_TEST_SUITE_P(Sources, OfferTest, testing::ValuesIn(offerCases), nameOf);

// Built here rather than in the table: every process of the suite would build them.
TEST_F(DataControlPasteboardTest, ReadsA20MBImageAndDropsWhatExceedsTheCap) {
    const std::string png = pngBytes(20 << 20);
    ASSERT_NO_FATAL_FAILURE(offer("serve", {{"image/png", png}, {"text/plain", "caption"}}));
    EXPECT_TRUE(pasteboard_->pngData() == png) << "PNG bytes differ";
    EXPECT_EQ(pasteboard_->string(), "caption");
    ASSERT_NO_FATAL_FAILURE(offer("serve", {{"text/plain", std::string(25 << 20, 'x')}}));
    EXPECT_EQ(pasteboard_->string(), std::nullopt);
}

// The program's own copy is what other programs paste, answered from memory while the
// pasteboard reads it too; the owner's exit then empties the clipboard.
TEST_F(DataControlPasteboardTest, OwnCopyServesOthersAndExitClears) {
    pasteboard_->clearAndSetString("copied back 萤川");
    ASSERT_TRUE(changes());
    EXPECT_EQ(pasteboard_->string(), "copied back 萤川");
    const auto pasted = root_ / "pasted";
    auto environment = sway_.environment();
    environment.emplace_back("PATH=/usr/bin:/bin");
    ChildProcess paste({"/usr/bin/wl-paste", "-n"}, environment, pasted);
    std::optional<int> status;
    ASSERT_TRUE(eventually([&] {
        connection_->dispatch();
        status = paste.waitForExit(std::chrono::milliseconds(20));
        return status.has_value();
    }));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(pasted), "copied back 萤川");

    ASSERT_NO_FATAL_FAILURE(offer("serve", {{"text/plain", "short-lived"}}));
    sources_.clear();
    ASSERT_TRUE(changes());
    EXPECT_EQ(pasteboard_->string(), std::nullopt);
    EXPECT_TRUE(pasteboard_->mimeTypes().empty());
}

// Reads of an offer counted before a newer one arrived answer nothing: never the secret
// check of one offer and the text of the next.
TEST_F(DataControlPasteboardTest, NeverMixesTwoOffers) {
    ASSERT_NO_FATAL_FAILURE(offer("serve", {{"text/plain", "first"}}));
    EXPECT_FALSE(pasteboard_->isSecret());
    startSource("serve", {{"text/plain", "second"}, {"x-kde-passwordManagerHint", "secret"}});
    ASSERT_TRUE(eventually([&] {
        connection_->dispatch();
        return pasteboard_->mimeTypes().size() == 2;
    }));
    EXPECT_EQ(pasteboard_->string(), std::nullopt);
    pasteboard_->changeCount();
    EXPECT_TRUE(pasteboard_->isSecret());
}

TEST_F(DataControlPasteboardTest, LostCompositorIsReportedOnceAndNothingIsRead) {
    ASSERT_NO_FATAL_FAILURE(offer("serve", {{"text/plain", "before"}}));
    sway_.kill();
    for (int i = 0; i < 3; ++i) {
        pollfd readable{connection_->fd(), POLLIN, 0};
        ::poll(&readable, 1, 1000);
        EXPECT_FALSE(connection_->dispatch());
    }
    EXPECT_FALSE(pasteboard_->isAvailable());
    EXPECT_EQ(pasteboard_->string(), std::nullopt);
    pasteboard_->clearAndSetString("after");
    const auto report = log_.str();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
    EXPECT_NE(report.find("no longer recorded"), std::string::npos) << report;
}

}  // namespace
}  // namespace nimbrook::e2e
