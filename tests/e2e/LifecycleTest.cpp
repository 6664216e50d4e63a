#include <csignal>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

using LifecycleTest = NimbrookFixture;

// Each start ends by another quit signal right after a copy, while its save is still a
// second away; every copy must reach the file (whose mode is StorageServiceTest's).
TEST_F(LifecycleTest, QuitSignalsSaveTheCopyMadeJustBefore) {
    std::size_t saved = 0;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ASSERT_NO_FATAL_FAILURE(startProgram());
        const std::string text = "last words " + std::to_string(signal);
        // The signal comes while the owner's answer is still on its way to the program.
        ASSERT_TRUE(served(copyWithOwner({{"text/plain", text}}, "-", NIMBROOK_OWNER,
                                         {"NIMBROOK_OWNER_ANSWER_DELAY_MS=300"}),
                           "text/plain"));
        // Read before the signal: after it, the file may already hold the save it causes.
        ASSERT_EQ(history().value_or(std::vector<HistoryEntry>{}).size(), saved)
            << "saved before the signal: nothing to test";
        program_->signal(signal);
        EXPECT_EQ(program_->waitForExit(std::chrono::seconds(20)), 0);
        EXPECT_TRUE(holds(++saved));
        EXPECT_TRUE(newestIs(text));
    }
}

// The program comes up over an unreadable history (StorageServiceTest sets it aside); a
// second start hands over and ends with success; a killed instance's lock does not block the
// next start.
TEST_F(LifecycleTest, SurvivesABrokenHistoryASecondStartAndACrash) {
    std::filesystem::create_directories(dataFolder());
    nimbrook::writeFile(historyFile(), "[{\"id\":\"not a uuid\",\"content\":");
    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_EQ(nimbrook({}).status, 0);
    EXPECT_FALSE(program_->waitForExit(std::chrono::milliseconds(0))) << "the first one ended";

    copyWithXclip({"UTF8_STRING", "still captured"});
    ASSERT_TRUE(newestIs("still captured"));
    // A running program that no longer answers: a second start says so instead of success.
    std::filesystem::remove(dataFolder() / "nimbrook.socket");
    const auto unanswered = nimbrook({"--toggle"});
    EXPECT_EQ(unanswered.status, 1);
    EXPECT_NE(unanswered.error.find("没有回应"), std::string::npos) << unanswered.error;

    program_->signal(SIGKILL);
    ASSERT_TRUE(program_->waitForExit(std::chrono::seconds(20)));
    ASSERT_TRUE(std::filesystem::exists(dataFolder() / "nimbrook.lock"));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    copyWithXclip({"UTF8_STRING", "after the crash"});
    ASSERT_TRUE(newestIs("after the crash"));
    EXPECT_EQ(history()->size(), 2u);
}

// The name recorded for a copy made in a window: its class leads to the desktop entry's
// name for the locale, else it is the name. How entries are matched and which name is taken
// is DesktopEntryIndexTest's.
TEST_F(LifecycleTest, NamesTheApplicationOfTheActiveWindow) {
    std::filesystem::create_directories(root_ / "data/applications");
    nimbrook::writeFile(root_ / "data/applications/probe.desktop",
                        "[Desktop Entry]\nType=Application\nName=Probe\nName[zh_CN]=探针\n"
                        "StartupWMClass=NimbrookProbe\n");
    ASSERT_NO_FATAL_FAILURE(startProgram({"LANG=zh_CN.UTF-8"}));
    for (const auto& [windowClass, expected] :
         {std::pair{"NimbrookProbe", "探针"}, std::pair{"NimbrookNoEntry", "NimbrookNoEntry"}}) {
        SCOPED_TRACE(windowClass);
        const std::string text = std::string("from ") + windowClass;
        ASSERT_TRUE(served(copyWithOwner({{"text/plain", text}}, windowClass), "text/plain"));
        ASSERT_TRUE(newestIs(text));
        EXPECT_EQ(history()->front().sourceApp, expected);
    }
}

// A program in the settings' list leaves nothing of its copies, neither a text nor an image
// file, while the copy of another window is recorded as ever.
TEST_F(LifecycleTest, AnIgnoredProgramsCopiesLeaveNoEntryAndNoFile) {
    std::filesystem::create_directories(root_ / "config/com.quolla.nimbrook");
    nimbrook::writeFile(root_ / "config/com.quolla.nimbrook/nimbrook.conf",
                        "[General]\nignoredApplications=nimbrookkeeper, Other\n");
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(served(copyWithOwner({{"text/plain", "recorded"}}, "NimbrookProbe"), "text/plain"));
    ASSERT_TRUE(newestIs("recorded"));
    EXPECT_EQ(history()->front().sourceApp, "NimbrookProbe");
    const auto tracesLeft = [this] {
        std::error_code error;
        std::filesystem::directory_iterator files(imageFolder(), error);
        return history().value_or(std::vector<HistoryEntry>{}).size() != 1 ||
               std::distance(files, {}) != 0;
    };
    // Read from the clipboard all the same, then dropped: a few ticks and a save later there
    // is still nothing of it.
    for (const Flavour& flavour :
         {Flavour{"text/plain", "a password"}, Flavour{"image/png", pngBytes(4096)}}) {
        SCOPED_TRACE(flavour.first);
        ASSERT_TRUE(served(copyWithOwner({flavour}, "NimbrookKeeper"), flavour.first));
        EXPECT_FALSE(eventually(tracesLeft, std::chrono::seconds(3)));
    }
}

}  // namespace
}  // namespace nimbrook::e2e
