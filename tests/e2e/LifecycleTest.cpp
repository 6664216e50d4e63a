#include <csignal>
#include <fstream>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

struct QuitCase {
    std::string name;
    int signal;
};

// Printed by name, not as bytes, when a case fails.
void PrintTo(const QuitCase& value, std::ostream* stream) {
    *stream << value.name;
}

const std::vector<QuitCase> quitCases{
    {"Terminate", SIGTERM},
    {"Interrupt", SIGINT},
    {"HangUp", SIGHUP},
};

class QuitTest : public NimbrookFixture, public testing::WithParamInterface<QuitCase> {};

TEST_P(QuitTest, WritesACopyMadeJustBefore) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const auto log = copyWithOwner({{"text/plain", "last words"}});
    // The program has read the text: the entry exists, its save is a second away.
    ASSERT_TRUE(served(log, "text/plain"));
    program_->signal(GetParam().signal);
    const auto history = sandbox_.history();
    ASSERT_TRUE(!history || history->empty()) << "saved before the signal: nothing to test";

    EXPECT_EQ(program_->waitForExit(std::chrono::seconds(20)), 0);
    const auto entries = sandbox_.history();
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->front().content, "last words");
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitTest, testing::ValuesIn(quitCases), nameOf<QuitCase>);

using InstanceTest = NimbrookFixture;

TEST_F(InstanceTest, SecondStartHandsOverAndEndsWithSuccess) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    auto second = sandbox_.start({NIMBROOK_PROGRAM}, "second");
    EXPECT_EQ(second->waitForExit(std::chrono::seconds(30)), 0);
    EXPECT_TRUE(program_->isRunning());

    copyWithXclip({"UTF8_STRING", "still captured"});
    EXPECT_TRUE(newestIs("still captured"));
}

TEST_F(InstanceTest, StartsAfterACrashLeftItsLockBehind) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    copyWithXclip({"UTF8_STRING", "before the crash"});
    ASSERT_TRUE(newestIs("before the crash"));
    program_->signal(SIGKILL);
    ASSERT_TRUE(program_->waitForExit(std::chrono::seconds(20)));
    ASSERT_TRUE(std::filesystem::exists(sandbox_.dataFolder() / "nimbrook.lock"));

    ASSERT_NO_FATAL_FAILURE(startProgram());
    copyWithXclip({"UTF8_STRING", "after the crash"});
    ASSERT_TRUE(newestIs("after the crash"));
    EXPECT_EQ(sandbox_.history()->size(), 2u);
}

TEST_F(InstanceTest, StartsOverABrokenHistoryAndKeepsIt) {
    const std::string broken = "[{\"id\":\"not a uuid\",\"content\":";
    std::filesystem::create_directories(sandbox_.dataFolder());
    std::ofstream(sandbox_.historyFile(), std::ios::binary) << broken;
    ASSERT_NO_FATAL_FAILURE(startProgram());
    copyWithXclip({"UTF8_STRING", "fresh"});
    ASSERT_TRUE(newestIs("fresh"));
    bool keptAside = false;
    for (const auto& file : std::filesystem::directory_iterator(sandbox_.dataFolder())) {
        keptAside = keptAside || readFile(file.path()) == broken;
    }
    EXPECT_TRUE(keptAside) << "the unreadable history was written over";
}

// The name recorded for a copy made in a window: the desktop entry's name for the locale,
// else the window class.
struct SourceCase {
    std::string name;
    std::string desktopEntry;
    std::string language;
    std::optional<std::string> expected;
};

// Printed by name, not as bytes, when a case fails.
void PrintTo(const SourceCase& value, std::ostream* stream) {
    *stream << value.name;
}

const std::vector<SourceCase> sourceCases{
    {"LocalisedEntryName",
     "[Desktop Entry]\nType=Application\nName=Probe\nName[zh_CN]=探针\nName[zh]=探\n"
     "StartupWMClass=NimbrookProbe\n",
     "zh_CN.UTF-8", "探针"},
    {"LanguageOnlyName",
     "[Desktop Entry]\nType=Application\nName=Probe\nName[zh]=探\nStartupWMClass=NimbrookProbe\n",
     "zh_CN.UTF-8", "探"},
    {"DefaultName",
     "[Desktop Entry]\nType=Application\nName=Probe\nName[zh_CN]=探针\n"
     "StartupWMClass=nimbrookprobe\n",
     "C.UTF-8", "Probe"},
    {"HiddenEntryIgnored",
     "[Desktop Entry]\nType=Application\nName=Probe\nHidden=true\nStartupWMClass=NimbrookProbe\n",
     "C.UTF-8", "NimbrookProbe"},
    {"NoEntry", "", "C.UTF-8", "NimbrookProbe"},
};

class SourceTest : public NimbrookFixture, public testing::WithParamInterface<SourceCase> {};

TEST_P(SourceTest, NamesTheActiveWindowsApplication) {
    const auto& source = GetParam();
    if (!source.desktopEntry.empty()) {
        std::filesystem::create_directories(sandbox_.applicationsFolder());
        std::ofstream(sandbox_.applicationsFolder() / "probe.desktop") << source.desktopEntry;
    }
    ASSERT_NO_FATAL_FAILURE(startProgram({"LANG=" + source.language}));
    ASSERT_TRUE(
        served(copyWithOwner({{"text/plain", "from a window"}}, "NimbrookProbe"), "text/plain"));
    ASSERT_TRUE(newestIs("from a window"));
    EXPECT_EQ(sandbox_.history()->front().sourceApp, source.expected);
}

INSTANTIATE_TEST_SUITE_P(Sources, SourceTest, testing::ValuesIn(sourceCases), nameOf<SourceCase>);

}  // namespace
}  // namespace nimbrook::e2e
