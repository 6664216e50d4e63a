// Start of the program with a full history (500 entries of 10 KB), measured in process with
// the real desktop services: from the construction of the running program (history file
// loaded, clipboard watched, active-window lookup, timers, tray icon; the panel waits for its
// first show) to its first
// clipboard poll that records a change. The poll is due 0.5 s after the monitor starts; the
// figure is the time beyond that wait: start-up work plus any delay of the first tick.
// Then the global shortcut: from a press made through the X server to the panel painted, the
// first press building the panel.
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QListView>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "controller/ClipboardViewModel.h"
#include "controller/ClipboardViewModelObserver.h"
#include "desktop/DesktopPreferences.h"
#include "desktop/DesktopSession.h"
#include "model/HistoryLimit.h"
#include "model/StorageService.h"
#include "platform/qt/GlobalShortcut.h"
#include "platform/x11/X11Keymap.h"
#include "platform/xdg/XdgFolders.h"
#include "ui/NimbrookApp.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr Seconds firstTickDelay{0.5};
constexpr int captureTimeoutMs = 5000;

double applicationStartMs = 0;

// Ends the waiting loop at the first insertion into the history.
class FirstInsertion final : public ClipboardViewModelObserver {
public:
    explicit FirstInsertion(QEventLoop& loop) : loop_(loop) {}

    void itemsInserted(std::size_t, std::size_t) override {
        at_ = SteadyClock::now();
        loop_.quit();
    }
    void itemsRemoved(std::size_t, std::size_t) override {}
    void itemReplaced(std::size_t) override {}
    void itemsReset() override {}
    void searchTextChanged() override {}
    void monitoringChanged() override {}
    void copiedFlashChanged() override {}
    void toastMessageChanged() override {}

    const std::optional<SteadyClock::time_point>& at() const { return at_; }

private:
    QEventLoop& loop_;
    std::optional<SteadyClock::time_point> at_;
};

std::string fileBytes(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

void startToFirstTick(benchmark::State& state) {
    const std::vector<ClipboardItem> history =
        BenchInputs::history(historyLimit, 10 * BenchInputs::kilobyte, 7);
    StorageService storage(XdgFolders::dataFolder(), [](const std::string&) {});
    double constructionSeconds = 0;
    double loadSeconds = 0;
    int copies = 0;
    for (auto _ : state) {
        // Every start reads the same file: the previous start saved its capture on exit.
        storage.save(history);
        // The reading of the history file alone, which the start below does once more: the
        // rest of the figure is what the program adds around it.
        const auto loadStart = SteadyClock::now();
        benchmark::DoNotOptimize(storage.load());
        loadSeconds += Seconds(SteadyClock::now() - loadStart).count();
        const auto start = SteadyClock::now();
        // The toolkit's clipboard, which the benchmark's own copies reach on any platform.
        DesktopSession session(*qApp, DesktopRoute::x11);
        if (!session.isPrimary()) {
            state.SkipWithError("another instance holds the data folder");
            return;
        }
        DesktopPreferences preferences;
        NimbrookApp shell(session.viewModel(), preferences);
        const auto built = SteadyClock::now();

        QEventLoop loop;
        FirstInsertion insertion(loop);
        session.viewModel().addObserver(insertion);
        QGuiApplication::clipboard()->setText(
            QStringLiteral("start benchmark copy %1").arg(++copies));
        QTimer::singleShot(captureTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        session.viewModel().removeObserver(insertion);
        if (!insertion.at()) {
            state.SkipWithError("the first tick recorded nothing");
            return;
        }
        state.SetIterationTime(Seconds(*insertion.at() - start).count() - firstTickDelay.count());
        constructionSeconds += Seconds(built - start).count();
    }
    state.counters["construct_ms"] =
        benchmark::Counter(constructionSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["load_ms"] =
        benchmark::Counter(loadSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["qapplication_ms"] = applicationStartMs;
    storage.save(history);
    const std::string file = fileBytes(storage.fileURL());
    ByteFloor::report(state, {file});
}
BENCHMARK(startToFirstTick)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Notes the first paint of the history list, which the panel makes at its first show.
class PaintWatch final : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* list = qobject_cast<QListView*>(watched->parent());
        painted = painted || (event->type() == QEvent::Paint && list != nullptr &&
                              list->viewport() == watched);
        return QObject::eventFilter(watched, event);
    }
};

// A keyboard of its own: a second X client that types through the XTEST extension, so the
// press reaches the program as a real one does, through the server's passive grab.
class FakeKeyboard final {
public:
    FakeKeyboard() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~FakeKeyboard() { xcb_disconnect(connection_); }
    FakeKeyboard(const FakeKeyboard&) = delete;
    FakeKeyboard& operator=(const FakeKeyboard&) = delete;

    bool works() const { return xcb_connection_has_error(connection_) == 0; }
    // Presses the keys of `keysyms` in order and lets them go in reverse.
    void type(std::initializer_list<std::uint32_t> keysyms) {
        for (const std::uint32_t keysym : keysyms) {
            send(XCB_KEY_PRESS, keysym);
        }
        for (auto keysym = std::rbegin(keysyms); keysym != std::rend(keysyms); ++keysym) {
            send(XCB_KEY_RELEASE, *keysym);
        }
        xcb_flush(connection_);
    }

private:
    void send(std::uint8_t type, std::uint32_t keysym) {
        xcb_test_fake_input(connection_, type, X11Keymap::keycodeOf(*connection_, keysym),
                            XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    xcb_connection_t* connection_;
};

constexpr std::uint32_t superKeysym = 0xffeb;
constexpr std::uint32_t letterVKeysym = 0x76;

// Runs the event loop until `done` holds; false when it has not within five seconds.
bool processUntil(const std::function<bool()>& done) {
    const auto deadline = SteadyClock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (SteadyClock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// Super+V pressed anywhere, up to the panel over a full history painted at the pointer: the
// server's grab, the toolkit's event handling, placing, showing and painting the panel.
void shortcutToPanelPainted(benchmark::State& state) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    FakeKeyboard keyboard;
    if (x11 == nullptr || !keyboard.works()) {
        state.SkipWithError("needs an X display");
        return;
    }
    StorageService storage(XdgFolders::dataFolder(), [](const std::string&) {});
    storage.save(BenchInputs::history(historyLimit, 10 * BenchInputs::kilobyte, 7));
    DesktopSession session(*qApp, DesktopRoute::x11);
    GlobalShortcut* shortcut = session.globalShortcut();
    if (!session.isPrimary() || shortcut == nullptr) {
        state.SkipWithError("no running program with a global shortcut");
        return;
    }
    DesktopPreferences preferences;
    NimbrookApp shell(session.viewModel(), preferences, shortcut);
    if (shortcut->state() != GlobalShortcut::State::active) {
        state.SkipWithError("Super+V is held by another program");
        return;
    }
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    for (auto _ : state) {
        watch.painted = false;
        const auto start = SteadyClock::now();
        keyboard.type({superKeysym, letterVKeysym});
        const auto shown = [&] { return shell.panel() != nullptr && shell.panel()->isVisible(); };
        if (!processUntil([&] { return shown() && watch.painted; })) {
            state.SkipWithError("the shortcut opened no panel");
            return;
        }
        state.SetIterationTime(Seconds(SteadyClock::now() - start).count());
        shell.closePanel();
        // The popup lets go of the keyboard before the next press, or the press goes to it.
        processUntil([&] { return !shown(); });
        xcb_connection_t* connection = x11->connection();
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    qApp->removeEventFilter(&watch);
}
BENCHMARK(shortcutToPanelPainted)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// The benchmark never touches the user's own history or clipboard images.
fs::path privateFolders() {
    std::string pattern = (fs::temp_directory_path() / "nimbrook-start-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    const fs::path root = pattern;
    fs::create_directories(root / "data");
    fs::create_directories(root / "tmp");
    fs::create_directories(root / "config");
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
    return root;
}

}  // namespace
}  // namespace nimbrook

int main(int argc, char** argv) {
    const std::filesystem::path root = nimbrook::privateFolders();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const auto start = nimbrook::SteadyClock::now();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    nimbrook::applicationStartMs =
        std::chrono::duration<double, std::milli>(nimbrook::SteadyClock::now() - start).count();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(root);
    return 0;
}
