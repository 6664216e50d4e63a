#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>

#include <nlohmann/json.hpp>

#include "NimbrookFixture.h"
#include "SwayServer.h"

namespace nimbrook::e2e {
namespace {

const std::string focusAppId = "org.nimbrook.FocusTest";
const std::string focusName = "焦点测试";

// Whether sway's tree holds a window of `appId` (with the keyboard focus, when asked).
bool windowIn(const nlohmann::json& node, const std::string& appId, bool focused) {
    if ((!focused || node.value("focused", false)) &&
        node.value("app_id", nlohmann::json()) == appId) {
        return true;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const auto& child : node.value(children, nlohmann::json::array())) {
            if (windowIn(child, appId, focused)) {
                return true;
            }
        }
    }
    return false;
}

// Comes before the fixture, which starts programs on it.
struct SwayDesktop {
    SwayServer sway_;
};

// The real program as a native Wayland client of a headless sway, while a window of another
// program holds the keyboard focus: the toolkit's own clipboard would see nothing then.
class SwayCaptureTest : protected SwayDesktop, public NimbrookFixture {
protected:
    SwayCaptureTest() : NimbrookFixture(desktop(sway_)) {}

    // Mesa's driver, which the toolkit loads for EGL and unloads before exit, leaks a little
    // that the leak checker can no longer name: the programs draw in shared memory alone.
    static std::vector<std::string> desktop(const SwayServer& sway) {
        if (sway.socket().empty()) {
            return {};
        }
        auto environment = sway.environment();
        environment.emplace_back("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION=shm");
        return environment;
    }

    void SetUp() override {
        ASSERT_FALSE(sway_.socket().empty()) << sway_.log();
        ASSERT_NO_FATAL_FAILURE(NimbrookFixture::SetUp());
        std::filesystem::create_directories(root_ / "share/applications");
        std::ofstream(root_ / "share/applications" / (focusAppId + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << focusName << "\nExec=true\n";
    }

    // Keeps a helper program running until the test ends.
    ChildProcess& keep(const std::vector<std::string>& arguments, const std::string& logName,
                       const std::vector<std::string>& extra = {}) {
        helpers_.push_back(start(arguments, logName, extra));
        return *helpers_.back();
    }

    bool shown(const std::string& appId, bool focused) {
        const auto tree = sway_.message({"-t", "get_tree"});
        return tree && windowIn(nlohmann::json::parse(*tree, nullptr, false), appId, focused);
    }

    // A window of another program with the focus, as sway reports it, once the program's
    // own window (open at start without a tray) has come up and can no longer take it.
    void focusOtherWindow(bool ownWindowFirst = true) {
        ASSERT_TRUE(!ownWindowFirst || eventually([&] { return shown("nimbrook", false); }));
        keep({NIMBROOK_FOCUS_WINDOW, focusAppId}, "focus", {"QT_QPA_PLATFORM=wayland"});
        ASSERT_TRUE(eventually([&] {
            sway_.message({"[app_id=\"" + focusAppId + "\"]", "focus"});
            return shown(focusAppId, true);
        })) << readFile(root_ / "focus.log");
    }

    // Runs a shell command line to its end.
    void run(const std::string& commandLine) {
        ASSERT_TRUE(output({"/bin/sh", "-c", commandLine})) << commandLine;
    }

    std::filesystem::path offerWithSource(const std::vector<Flavour>& flavours) {
        return offerFrom(NIMBROOK_WL_SOURCE, "serve", flavours);
    }

    std::vector<std::unique_ptr<ChildProcess>> helpers_;
};

TEST_F(SwayCaptureTest, RecordsOtherProgramsCopiesAndCopiesBack) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(focusOtherWindow());
    const std::string png = pngBytes(300'000);
    std::ofstream(root_ / "image.png", std::ios::binary) << png;
    const std::string text = "萤川 on Wayland ✓";

    ASSERT_NO_FATAL_FAILURE(run("wl-copy '" + text + "'"));
    ASSERT_TRUE(newestIs(text));
    ASSERT_NO_FATAL_FAILURE(run("wl-copy --type image/png < " + (root_ / "image.png").string()));
    ASSERT_TRUE(
        eventually([&] { return history().value_or(std::vector<HistoryEntry>{}).size() == 2; }));
    const auto secret =
        offerWithSource({{"text/plain", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}});
    ASSERT_TRUE(served(secret, "x-kde-passwordManagerHint"));
    ASSERT_NO_FATAL_FAILURE(run("wl-copy 'after the secret'"));
    ASSERT_TRUE(newestIs("after the secret"));

    auto entries = history().value();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].contentType, "image");
    EXPECT_TRUE(readFile(entries[1].content) == png) << "image bytes differ";
    EXPECT_EQ(entries[2].content, text);
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.sourceApp, focusName) << entry.content;
    }

    // The program's own copy is what others paste, and it is not recorded again.
    ASSERT_TRUE(requestTo(dataFolder() / "nimbrook.socket", {"copy", "3"}));
    ASSERT_TRUE(eventually([&] { return output({"/usr/bin/wl-paste", "-n"}) == text; }));
    ASSERT_NO_FATAL_FAILURE(run("wl-copy final"));
    ASSERT_TRUE(newestIs("final"));
    entries = history().value();
    EXPECT_EQ(entries.size(), 4u);
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                            [&](const HistoryEntry& entry) { return entry.content == text; }),
              1);
}

TEST_F(SwayCaptureTest, QuitSignalRightAfterACopyKeepsIt) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(served(offerWithSource({{"text/plain", "last words"}}), "text/plain"));
    program_->signal(SIGTERM);
    EXPECT_FALSE(history().has_value()) << "saved before the signal: nothing to test";
    EXPECT_EQ(program_->waitForExit(std::chrono::seconds(20)), 0);
    const auto entries = history();
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->front().content, "last words");
}

// With a StatusNotifierItem tray the panel is a window that the compositor places: shown
// when the item is activated or the program started again, hidden once it loses the focus.
// Runs under dbus-run-session, never on the bus of the desktop the tests run in.
TEST_F(SwayCaptureTest, TrayPanelIsAWindowThatHidesWhenItLosesTheFocus) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address == nullptr || std::getenv("NIMBROOK_E2E_PRIVATE_BUS") == nullptr) {
        GTEST_SKIP() << "needs a private session bus";
    }
    const std::string bus = std::string("DBUS_SESSION_BUS_ADDRESS=") + address;
    keep({NIMBROOK_TRAY_WATCHER}, "watcher", {bus});
    const auto log = root_ / "watcher.log";
    ASSERT_TRUE(eventually([&] { return readFile(log).starts_with("ready\n"); })) << readFile(log);
    ASSERT_NO_FATAL_FAILURE(startProgram({bus}));
    const auto item = [&] {
        const auto text = readFile(log);
        const auto at = text.find("item ");
        return at == std::string::npos ? std::string()
                                       : text.substr(at + 5, text.find('\n', at) - at - 5);
    };
    ASSERT_TRUE(eventually([&] { return !item().empty(); })) << "no item registered";
    const auto panelShown = [&] { return shown("nimbrook", false); };
    EXPECT_FALSE(panelShown()) << "the panel opened by itself, as with no tray";
    auto& activate =
        keep({"/usr/bin/dbus-send", "--session", "--print-reply", "--dest=" + item(),
              "/StatusNotifierItem", "org.kde.StatusNotifierItem.Activate", "int32:0", "int32:0"},
             "commands", {bus});
    ASSERT_EQ(activate.waitForExit(std::chrono::seconds(20)), 0);
    ASSERT_TRUE(eventually(panelShown));
    ASSERT_NO_FATAL_FAILURE(focusOtherWindow(false));
    EXPECT_TRUE(eventually([&] { return !panelShown(); }));
    auto& second = keep({NIMBROOK_PROGRAM}, "second", {bus});
    EXPECT_EQ(second.waitForExit(std::chrono::seconds(30)), 0);
    EXPECT_TRUE(eventually(panelShown));
}

// Where nothing may read the clipboard the program still runs, and says why once.
TEST_F(SwayCaptureTest, WithoutARouteItRunsAndSaysSoOnce) {
    ASSERT_NO_FATAL_FAILURE(startProgram({"NIMBROOK_ROUTE=none"}));
    ASSERT_NO_FATAL_FAILURE(run("wl-copy 'not for the history'"));
    EXPECT_FALSE(program_->waitForExit(std::chrono::milliseconds(1500)));
    const auto log = readFile(root_ / "nimbrook.log");
    const std::string line = "does not let programs read the clipboard";
    ASSERT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos) << log;
    EXPECT_FALSE(history().has_value());
}

}  // namespace
}  // namespace nimbrook::e2e
