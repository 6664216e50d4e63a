#include <algorithm>
#include <csignal>
#include <sstream>

#include <poll.h>
#include <unistd.h>

#include "NimbrookFixture.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/WaylandConnection.h"

namespace nimbrook::e2e {
namespace {

// Short enough to keep the test quick, long enough for a loaded machine.
const DataControlPasteboard::Limits limits{
    {std::chrono::milliseconds(1500), std::chrono::seconds(20)}, 24 << 20};

// A pasteboard of the test's own on a headless sway.
class DataControlPasteboardTest : public NimbrookFixture {
protected:
    DataControlPasteboardTest() : NimbrookFixture(Desktop::sway) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(NimbrookFixture::SetUp());
        connection_ = std::make_unique<WaylandConnection>(waylandSocket_, log_);
        pasteboard_ =
            std::make_unique<DataControlPasteboard>(*connection_, limits, [this] { ++announced_; });
        ASSERT_TRUE(pasteboard_->isAvailable());
    }

    // Offers `flavours` from a program of the test's own that answers as `mode` says, and
    // waits until the pasteboard sees it.
    bool offered(const std::string& mode, const std::vector<Flavour>& flavours) {
        copyWithOwner(flavours, mode, NIMBROOK_WL_SOURCE);
        return changes();
    }

    // Serves the connection until the change count moves; the program sleeps until each move
    // is announced.
    bool changes() {
        const auto before = pasteboard_->changeCount();
        const bool moved = eventually([&] {
            pollfd readable{connection_->fd(), POLLIN, 0};
            ::poll(&readable, 1, 50);
            connection_->dispatch();
            return pasteboard_->changeCount() != before;
        });
        EXPECT_EQ(announced_, pasteboard_->changeCount()) << "a change went unannounced";
        return moved;
    }

    std::ostringstream log_;
    std::int64_t announced_ = 0;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<DataControlPasteboard> pasteboard_;
};

// One offer from another program after the other, each read as the table says whatever the
// one before it did.
TEST_F(DataControlPasteboardTest, ReadsWhatEachSourceDelivers) {
    struct Case {
        std::string name;
        std::string mode;
        std::vector<Flavour> flavours;
        std::optional<std::string> text = {};
        std::optional<std::string> png = {};
        bool secret = false;
    };
    const std::string png = pngBytes(20 << 20);
    const std::string plain = "text/plain";
    const std::string hint = "x-kde-passwordManagerHint";
    std::vector<Flavour> many{{plain, "many"}};
    for (int i = 0; i < 199; ++i) {
        many.emplace_back("application/x-filler-" + std::to_string(i), "");
    }
    const std::vector<Case> cases{
        {"PreferredTextType", "serve", {{plain, "a"}, {plain + ";charset=utf-8", "萤川"}}, "萤川"},
        {"TextFromX11Program", "serve", {{"UTF8_STRING", "x11"}}, "x11"},
        {"InvalidUtf8Repaired", "serve", {{plain, "a\xff\xfe b"}}, "a\uFFFD\uFFFD b"},
        {"SecretHint", "serve", {{plain, "hunter2"}, {hint, "secret"}}, "hunter2", {}, true},
        {"TwoHundredTypes", "serve", many, "many"},
        {"NeverWrites", "silent", {{plain, "never sent"}}},
        {"DiesHalfway", "partial", {{plain, "the whole text, not half of it"}}},
        {"A20MBImage", "serve", {{"image/png", png}, {plain, "caption"}}, "caption", png},
        {"TextOverTheCap", "serve", {{plain, std::string(25 << 20, 'x')}}},
        {"Next", "serve", {{plain, "next"}}, "next"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(offered(c.mode, c.flavours));
        EXPECT_EQ(pasteboard_->mimeTypes().size(), c.flavours.size());
        EXPECT_EQ(pasteboard_->isSecret(), c.secret);
        EXPECT_TRUE(pasteboard_->pngData() == c.png) << "PNG bytes differ";
        EXPECT_TRUE(pasteboard_->string() == c.text) << "text differs";
    }
}

// The program's own copy reads back from memory, not through a pipe to itself (which
// SwayCaptureTest's paste by another program also crosses); the owner's exit then empties
// the clipboard.
TEST_F(DataControlPasteboardTest, OwnCopyReadsBackAndExitClears) {
    pasteboard_->clearAndSetString("copied back 萤川");
    ASSERT_TRUE(changes());
    EXPECT_EQ(pasteboard_->string(), "copied back 萤川");
    for (const auto& type : pasteboard_->mimeTypes()) {
        EXPECT_EQ(type.find(std::to_string(::getpid())), std::string::npos) << type;
    }

    ASSERT_TRUE(offered("serve", {{"text/plain", "short-lived"}}));
    helpers_.clear();
    ASSERT_TRUE(changes());
    EXPECT_EQ(pasteboard_->string(), std::nullopt);
    EXPECT_TRUE(pasteboard_->mimeTypes().empty());
}

// Reads of an offer counted before a newer one arrived answer nothing: never the secret
// check of one offer and the text of the next.
TEST_F(DataControlPasteboardTest, NeverMixesTwoOffers) {
    ASSERT_TRUE(offered("serve", {{"text/plain", "first"}}));
    EXPECT_FALSE(pasteboard_->isSecret());
    copyWithOwner({{"text/plain", "second"}, {"x-kde-passwordManagerHint", "secret"}}, "serve",
                  NIMBROOK_WL_SOURCE);
    ASSERT_TRUE(eventually([&] {
        connection_->dispatch();
        return pasteboard_->mimeTypes().size() == 2;
    }));
    EXPECT_EQ(pasteboard_->string(), std::nullopt);
    pasteboard_->changeCount();
    EXPECT_TRUE(pasteboard_->isSecret());
}

TEST_F(DataControlPasteboardTest, LostCompositorIsReportedOnceAndNothingIsRead) {
    ASSERT_TRUE(offered("serve", {{"text/plain", "before"}}));
    server_->signal(SIGKILL);
    ASSERT_TRUE(server_->waitForExit(std::chrono::seconds(20)));
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
