#include <cstdlib>
#include <iostream>
#include <random>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

// Seconds of random panel use; scripts/stress runs it for longer.
int stressSeconds() {
    const char* seconds = std::getenv("NIMBROOK_STRESS_SECONDS");
    return seconds != nullptr ? std::atoi(seconds) : 20;
}

// A seed to replay a run with, else a new one.
unsigned stressSeed() {
    const char* seed = std::getenv("NIMBROOK_STRESS_SEED");
    return seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10))
                           : std::random_device()();
}

using PanelStressTest = NimbrookFixture;

// What a user does with the panel, in any order and as fast as the X server takes it, while
// copies arrive: the program stays up, answers, and its file stays readable.
TEST_F(PanelStressTest, RandomFlowsLeaveItRunning) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const unsigned seed = stressSeed();
    std::cerr << "PanelStressTest seed " << seed << '\n';
    std::mt19937 random(seed);
    const std::vector<std::string> texts{
        R"({"k":[1,2,{"x":null}]})", "https://example.com/path?q=萤川",
        "<p>Hello <b>world</b></p>", "# Title\n\n- item",
        std::string(3000, 'w'),      "中文 text"};
    const std::vector<std::vector<std::string>> keys{
        {"super+v"},        {"Escape"},      {"Menu"},  {"shift+F10"},    {"Down"},     {"Up"},
        {"Down", "Return"}, {"ctrl+Return"}, {"alt+2"}, {"shift+Delete"}, {"ctrl+End"}, {"Tab"},
        {"ctrl+comma"}};
    const std::vector<std::vector<std::string>> commands{{"--toggle"},
                                                         {"list"},
                                                         {"convert", "1", "prettifyJSON"},
                                                         {"convert", "1", "wrapCode"},
                                                         {"search", "e"}};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(stressSeconds());
    int steps = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto kind = random() % 4;
        if (kind == 0) {
            copyWithXclip({"UTF8_STRING", texts[random() % texts.size()] + std::to_string(steps)});
        } else if (kind == 1) {
            nimbrook(commands[random() % commands.size()]);
        } else if (kind == 2) {
            output({"/usr/bin/xdotool", "type", "--delay", "5", "ex"});
        } else {
            std::vector<std::string> press{"/usr/bin/xdotool", "key"};
            const auto& chord = keys[random() % keys.size()];
            press.insert(press.end(), chord.begin(), chord.end());
            output(press);
        }
        ++steps;
        ASSERT_FALSE(program_->waitForExit(std::chrono::milliseconds(0)))
            << "ended after " << steps << " steps, seed " << seed << '\n'
            << readFile(root_ / "nimbrook.log");
    }
    std::cerr << "PanelStressTest: " << steps << " steps\n";
    EXPECT_EQ(nimbrook({"list"}).status, 0) << "seed " << seed;
    EXPECT_TRUE(eventually([&] { return history().has_value(); })) << "seed " << seed;
}

}  // namespace
}  // namespace nimbrook::e2e
