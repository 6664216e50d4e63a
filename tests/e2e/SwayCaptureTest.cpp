#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "NimbrookFixture.h"
#include "SwayServer.h"

namespace nimbrook::e2e {
namespace {

const std::string focusAppId = "org.nimbrook.FocusTest";
const std::string focusName = "焦点测试";

std::string inherited(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(name) + "=" + value;
}

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

// The real program as a native Wayland client of a headless sway, while a window of another
// program holds the keyboard focus: the toolkit's own clipboard would see nothing then.
class SwayCaptureTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sway_.socket().empty()) << sway_.log();
        std::string pattern = "/tmp/nimbrook-wl-e2e-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        for (const char* folder : {"home", "data", "runtime", "tmp", "share/applications"}) {
            std::filesystem::create_directories(root_ / folder);
        }
        std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
        std::ofstream(root_ / "share/applications" / (focusAppId + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << focusName << "\nExec=true\n";
    }

    void TearDown() override {
        programs_.clear();
        if (!root_.empty() && std::getenv("NIMBROOK_E2E_KEEP") == nullptr) {
            std::filesystem::remove_all(root_);
        }
    }

    std::filesystem::path dataFolder() const { return root_ / "data" / "com.quolla.nimbrook"; }
    std::optional<std::vector<HistoryEntry>> history() const {
        return historyIn(dataFolder() / "clipboard_history.json");
    }

    ChildProcess& start(const std::vector<std::string>& arguments, const std::string& logName,
                        const std::vector<std::string>& extra = {}) {
        std::vector<std::string> environment = sway_.environment();
        const std::vector<std::string> common{
            inherited("PATH"),
            "HOME=" + (root_ / "home").string(),
            "XDG_DATA_HOME=" + (root_ / "data").string(),
            "XDG_RUNTIME_DIR=" + (root_ / "runtime").string(),
            "XDG_DATA_DIRS=" + (root_ / "share").string(),
            "TMPDIR=" + (root_ / "tmp").string(),
            "LANG=C.UTF-8",
            "LSAN_OPTIONS=suppressions=" NIMBROOK_LSAN_SUPPRESSIONS,
            inherited("ASAN_OPTIONS"),
            inherited("UBSAN_OPTIONS")};
        std::copy_if(common.begin(), common.end(), std::back_inserter(environment),
                     [](const std::string& setting) { return !setting.empty(); });
        environment.insert(environment.end(), extra.begin(), extra.end());
        programs_.push_back(
            std::make_unique<ChildProcess>(arguments, environment, root_ / (logName + ".log")));
        return *programs_.back();
    }

    void startProgram(const std::vector<std::string>& extra = {}) {
        program_ = &start({NIMBROOK_PROGRAM}, "nimbrook", extra);
        ASSERT_TRUE(eventually([&] {
            return std::filesystem::exists(dataFolder() / "nimbrook.socket");
        })) << readFile(root_ / "nimbrook.log");
    }

    // A window of another program with the focus, as sway reports it, once the program's
    // own window (open at start without a tray) has come up and can no longer take it.
    void focusOtherWindow(bool ownWindowFirst = true) {
        ASSERT_TRUE(!ownWindowFirst || eventually([&] {
            const auto tree = sway_.message({"-t", "get_tree"});
            return tree &&
                   windowIn(nlohmann::json::parse(*tree, nullptr, false), "nimbrook", false);
        }));
        start({NIMBROOK_FOCUS_WINDOW, focusAppId}, "focus", {"QT_QPA_PLATFORM=wayland"});
        ASSERT_TRUE(eventually([&] {
            sway_.message({"[app_id=\"" + focusAppId + "\"]", "focus"});
            const auto tree = sway_.message({"-t", "get_tree"});
            return tree && windowIn(nlohmann::json::parse(*tree, nullptr, false), focusAppId, true);
        })) << readFile(root_ / "focus.log");
    }

    // Runs a shell command line to its end.
    void run(const std::string& commandLine) {
        auto& process = start({"/bin/sh", "-c", commandLine}, "commands");
        ASSERT_EQ(process.waitForExit(std::chrono::seconds(20)), 0) << commandLine;
    }

    std::filesystem::path offerWithSource(const std::vector<Flavour>& flavours) {
        const auto id = std::to_string(++offers_);
        const auto log = root_ / ("source-" + id + ".served");
        std::vector<std::string> arguments{NIMBROOK_WL_SOURCE, log.string(), "serve"};
        for (std::size_t i = 0; i < flavours.size(); ++i) {
            const auto file = root_ / ("offer-" + id + "-" + std::to_string(i));
            std::ofstream(file, std::ios::binary) << flavours[i].second;
            arguments.push_back(flavours[i].first + "=" + file.string());
        }
        start(arguments, "source");
        return log;
    }

    bool served(const std::filesystem::path& log, const std::string& mimeType) {
        return eventually(
            [&] { return readFile(log).find("served " + mimeType + "\n") != std::string::npos; });
    }

    bool newestIs(const std::string& content) {
        return eventually([&] {
            const auto entries = history();
            return entries && !entries->empty() && entries->front().content == content;
        });
    }

    SwayServer sway_;
    std::filesystem::path root_;
    std::vector<std::unique_ptr<ChildProcess>> programs_;
    ChildProcess* program_ = nullptr;
    int offers_ = 0;
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
    const auto pasted = root_ / "pasted";
    ASSERT_TRUE(eventually([&] {
        std::filesystem::remove(pasted);
        auto& paste = start({"/bin/sh", "-c", "wl-paste -n > " + pasted.string()}, "commands");
        return paste.waitForExit(std::chrono::seconds(20)) == 0 && readFile(pasted) == text;
    }));
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
    start({NIMBROOK_TRAY_WATCHER}, "watcher", {bus});
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
    const auto panelShown = [&] {
        const auto tree = sway_.message({"-t", "get_tree"});
        return tree && windowIn(nlohmann::json::parse(*tree, nullptr, false), "nimbrook", false);
    };
    EXPECT_FALSE(panelShown()) << "the panel opened by itself, as with no tray";
    auto& activate =
        start({"/usr/bin/dbus-send", "--session", "--print-reply", "--dest=" + item(),
               "/StatusNotifierItem", "org.kde.StatusNotifierItem.Activate", "int32:0", "int32:0"},
              "commands", {bus});
    ASSERT_EQ(activate.waitForExit(std::chrono::seconds(20)), 0);
    ASSERT_TRUE(eventually(panelShown));
    ASSERT_NO_FATAL_FAILURE(focusOtherWindow(false));
    EXPECT_TRUE(eventually([&] { return !panelShown(); }));
    auto& second = start({NIMBROOK_PROGRAM}, "second", {bus});
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
