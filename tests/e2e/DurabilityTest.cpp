#include <cmath>
#include <csignal>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Each entry of these tests starts with a tag of its own and a space.
std::string tagOf(const std::string& text) {
    return text.substr(0, text.find(' '));
}

class DurabilityTest : public NimbrookFixture {
protected:
    // The tags of the entries that `nimbrook list` shows, newest first; nullopt when it fails.
    std::optional<std::vector<std::string>> listed(const std::vector<std::string>& options = {}) {
        std::vector<std::string> arguments{"list"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CommandResult result = nimbrook(arguments);
        if (result.status != 0) {
            return std::nullopt;
        }
        std::vector<std::string> tags;
        std::istringstream lines(result.output);
        for (std::string line; std::getline(lines, line);) {
            tags.push_back(tagOf(line.substr(line.rfind('\t') + 1)));
        }
        return tags;
    }
    bool takenIn(const std::string& tag) {
        return eventually([&] {
            return listed({"--limit", "1"}) == std::vector<std::string>{tag};
        });
    }
};

// Up to 2 MB, most of them small, as copies are.
std::string textOfSize(const std::string& tag, std::mt19937& random) {
    const double size = 10.0 * std::pow(2e5, std::uniform_real_distribution(0.0, 1.0)(random));
    const std::string head = tag + " ";
    return head +
           std::string(std::max(static_cast<std::size_t>(size), head.size()) - head.size(), 'x');
}

// Kills at random moments of bursts of copies and clearings: what the command line listed
// last before a kill is what the next start lists, apart from copies it did not list yet;
// after the last start the history file holds it too.
TEST_F(DurabilityTest, WhatWasListedOutlivesThirtyKills) {
    std::mt19937 random(20240611);
    std::vector<std::string> before;
    std::set<std::string> unlisted;
    for (int kill = 0; kill < 30; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        ASSERT_NO_FATAL_FAILURE(startProgram());
        std::vector<std::string> after = listed().value_or(std::vector<std::string>{"failed"});
        std::erase_if(after, [&](const std::string& tag) { return unlisted.contains(tag); });
        EXPECT_EQ(after, before) << "lost, reordered, doubled or back from a clearing";
        unlisted.clear();
        // Clearing now and then keeps the history, which every start loads, small.
        if (kill % 5 == 4) {
            ASSERT_EQ(nimbrook({"clear"}).status, 0);
        }
        auto copyNext = [&, copy = 0]() mutable {
            const std::string tag = "k" + std::to_string(kill) + "c" + std::to_string(copy++);
            copyWithXclip({"UTF8_STRING", textOfSize(tag, random)});
            unlisted.insert(tag);
            return tag;
        };
        // Now and then the listing comes before the copy is taken in.
        const std::string tag = copyNext();
        if (random() % 4 != 0) {
            takenIn(tag);
        }
        before = listed().value_or(before);
        std::erase_if(unlisted, [&](const std::string& each) {
            return std::ranges::count(before, each) > 0;
        });
        // Now and then the kill comes amid a transfer.
        if (random() % 2 == 0) {
            copyNext();
        }
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution(0, 400)(random)));
        program_->signal(SIGKILL);
        ASSERT_TRUE(program_->waitForExit(20s));
    }
    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_TRUE(eventually([&] {
        std::vector<std::string> saved;
        for (const HistoryEntry& entry : history().value_or(std::vector<HistoryEntry>{})) {
            if (!unlisted.contains(tagOf(entry.content))) {
                saved.push_back(tagOf(entry.content));
            }
        }
        return saved == before;
    })) << "the replayed history did not reach the file";
}

// A copy every 0.4 s never leaves the quiet second that a save waits for; the first copy
// still reaches the file five seconds after it was taken in.
TEST_F(DurabilityTest, AStreamOfCopiesIsSavedWithinSixSecondsOfTheFirst) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const auto start = Clock::now();
    copyWithXclip({"UTF8_STRING", "s0 first"});
    ASSERT_TRUE(takenIn("s0"));
    std::optional<Clock::duration> saved;
    const auto firstSaved = [&] {
        const auto entries = history();
        if (!saved && entries && !entries->empty() && entries->back().content == "s0 first") {
            saved = Clock::now() - start;
        }
    };
    for (int copy = 1; copy < 25; ++copy) {
        const auto next = start + copy * 400ms;
        while (Clock::now() < next) {
            firstSaved();
            std::this_thread::sleep_for(20ms);
        }
        copyWithXclip({"UTF8_STRING", "s" + std::to_string(copy) + " next"});
    }
    firstSaved();
    ASSERT_TRUE(saved.has_value()) << "not saved while the copies went on";
    EXPECT_LE(*saved, 6s) << std::chrono::duration<double>(*saved).count() << " s";
}

}  // namespace
}  // namespace nimbrook::e2e
