#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

const std::string focusAppId = "org.nimbrook.FocusTest";
const std::string focusName = "焦点测试";

// The real program as a native Wayland client of a headless sway, while a window of another
// program holds the keyboard focus: the toolkit's own clipboard would see nothing then.
class SwayCaptureTest : public NimbrookFixture {
protected:
    SwayCaptureTest() : NimbrookFixture(Desktop::sway) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(NimbrookFixture::SetUp());
        std::filesystem::create_directories(root_ / "share/applications");
        std::ofstream(root_ / "share/applications" / (focusAppId + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << focusName << "\nExec=true\n";
    }

    // Whether sway shows a window of `appId` (with the keyboard focus, when asked); its
    // criteria are regular expressions.
    bool shown(const std::string& appId, bool focused) {
        const std::string focus = focused ? " con_id=__focused__" : "";
        return output({"/usr/bin/swaymsg", "[app_id=\"^" + appId + "$\"" + focus + "]", "nop"})
            .has_value();
    }

    // A window of another program with the focus, as sway reports it, once the program's
    // own window (open at start without a tray) has come up and can no longer take it.
    void focusOtherWindow(bool ownWindowFirst = true) {
        ASSERT_TRUE(!ownWindowFirst || eventually([&] { return shown("nimbrook", false); }));
        keep({NIMBROOK_OWNER, focusAppId}, "focus", {"QT_QPA_PLATFORM=wayland"});
        ASSERT_TRUE(eventually([&] {
            output({"/usr/bin/swaymsg", "[app_id=\"" + focusAppId + "\"]", "focus"});
            return shown(focusAppId, true);
        })) << readFile(root_ / "focus.log");
    }
};

TEST_F(SwayCaptureTest, RecordsOtherProgramsCopiesAndCopiesBack) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(focusOtherWindow());
    const std::string png = pngBytes(300'000);
    const std::string text = "萤川 on Wayland ✓";

    ASSERT_TRUE(output({"/usr/bin/wl-copy", text}));
    ASSERT_TRUE(newestIs(text));
    ASSERT_TRUE(output({"/bin/sh", "-c", "wl-copy --type image/png < " + writeFile(png).string()}));
    ASSERT_TRUE(holds(2));

    auto entries = history().value();
    EXPECT_EQ(entries[0].contentType, "image");
    EXPECT_TRUE(readFile(entries[0].content) == png) << "image bytes differ";
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.sourceApp, focusName) << entry.content;
    }

    // The program's own copy is what others paste, and it is not recorded again.
    ASSERT_EQ(nimbrook({"copy", "2"}).status, 0);
    ASSERT_TRUE(eventually([&] { return output({"/usr/bin/wl-paste", "-n"}) == text; }));
    ASSERT_TRUE(output({"/usr/bin/wl-copy", "final"}));
    ASSERT_TRUE(newestIs("final"));
    entries = history().value();
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries.back().content, text) << "the copy back was recorded";
    const auto log = readFile(root_ / "nimbrook.log");
    EXPECT_NE(
        log.find("[Nimbrook] clipboard: Wayland data-control (zwlr_data_control_manager_v1 v"),
        std::string::npos)
        << log;
}

// The toolkit ends the program with its compositor; the watch starts it again once a new
// compositor answers on the same socket, and copies made then are recorded.
TEST_F(SwayCaptureTest, RecordingResumesWhenTheCompositorIsRestarted) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(output({"/usr/bin/wl-copy", "before the restart"}));
    ASSERT_TRUE(newestIs("before the restart"));

    ASSERT_TRUE(restartSway()) << readFile(root_ / "server-again.log");
    std::this_thread::sleep_for(std::chrono::seconds(5));
    ASSERT_TRUE(output({"/usr/bin/wl-copy", "after the restart"}));
    ASSERT_TRUE(newestIs("after the restart")) << readFile(root_ / "nimbrook.log");
    EXPECT_EQ(history().value().size(), 2u);
    EXPECT_NE(readFile(root_ / "nimbrook.log").find("合成器已重新启动"), std::string::npos);
    // The program, started again by the watch, is no child of the test's: it ends with the
    // compositor, and its watch with it, as the session's end would.
    server_->signal(SIGKILL);
}

// With a StatusNotifierItem tray the panel is a window that the compositor places: shown
// when the item is activated or the program started again, hidden once it loses the focus.
TEST_F(SwayCaptureTest, TrayPanelIsAWindowThatHidesWhenItLosesTheFocus) {
    if (!inSession("tray")) {
        GTEST_SKIP() << "runs in the session \"tray\"";
    }
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const auto panelShown = [&] { return shown("nimbrook", false); };
    ASSERT_FALSE(trayItem().empty()) << "no item registered";
    EXPECT_FALSE(panelShown()) << "the panel opened by itself, as with no tray";
    ASSERT_TRUE(activateTrayItem());
    ASSERT_TRUE(eventually(panelShown));
    ASSERT_NO_FATAL_FAILURE(focusOtherWindow(false));
    EXPECT_TRUE(eventually([&] { return !panelShown(); }));
    EXPECT_EQ(nimbrook({}).status, 0);
    EXPECT_TRUE(eventually(panelShown));
}

// Where nothing may read the clipboard the program still runs, and says why once.
TEST_F(SwayCaptureTest, WithoutARouteItRunsAndSaysSoOnce) {
    ASSERT_NO_FATAL_FAILURE(startProgram({"NIMBROOK_ROUTE=none"}));
    ASSERT_TRUE(output({"/usr/bin/wl-copy", "not for the history"}));
    EXPECT_FALSE(program_->waitForExit(std::chrono::milliseconds(1500)));
    const auto log = readFile(root_ / "nimbrook.log");
    const std::string line = "does not let programs read the clipboard";
    ASSERT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos) << log;
    EXPECT_FALSE(history().has_value());
}

}  // namespace
}  // namespace nimbrook::e2e
