// Start of the program with a full history (500 entries of 10 KB), measured in process with
// the real desktop services: from the construction of the running program (history file
// loaded, clipboard watched, active-window lookup, timers, tray icon and panel) to its first
// clipboard poll that records a change. The poll is due 0.5 s after the monitor starts; the
// figure is the time beyond that wait: start-up work plus any delay of the first tick.
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "controller/ClipboardViewModel.h"
#include "controller/ClipboardViewModelObserver.h"
#include "model/HistoryLimit.h"
#include "model/StorageService.h"
#include "platform/qt/DesktopSession.h"
#include "platform/qt/XdgFolders.h"
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
    int copies = 0;
    for (auto _ : state) {
        // Every start reads the same file: the previous start saved its capture on exit.
        storage.save(history);
        const auto start = SteadyClock::now();
        // The toolkit's clipboard, which the benchmark's own copies reach on any platform.
        DesktopSession session(*qApp, DesktopRoute::x11);
        if (!session.isPrimary()) {
            state.SkipWithError("another instance holds the data folder");
            return;
        }
        NimbrookApp shell(session.viewModel());
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
    state.counters["qapplication_ms"] = applicationStartMs;
    storage.save(history);
    const std::string file = fileBytes(storage.fileURL());
    ByteFloor::report(state, {file});
}
BENCHMARK(startToFirstTick)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The benchmark never touches the user's own history or clipboard images.
fs::path privateFolders() {
    std::string pattern = (fs::temp_directory_path() / "nimbrook-start-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    const fs::path root = pattern;
    fs::create_directories(root / "data");
    fs::create_directories(root / "tmp");
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
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
