#include <QApplication>
#include <QListView>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "model/HistoryLimit.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/ControllerHarness.h"

namespace nimbrook {
namespace {

const char* const applications[] = {"Firefox ESR", "终端", "Visual Studio Code", "微信", "Files"};

// A few lines of mixed text that differ for every seed, so every row wraps on its own.
std::string sampleText(int seed) {
    std::string text = '#' + std::to_string(seed);
    text += " 剪贴板历史 clipboard history entry";
    for (int line = 0; line < seed % 6; ++line) {
        text += "\nline " + std::to_string(line) + " of a longer copied text with some words";
    }
    return text;
}

// A controller on the in-memory platform holding a full history from several applications.
struct FullHistory : ControllerHarness {
    int copies = 0;

    FullHistory() {
        while (viewModel.items().size() < historyLimit) {
            copy();
        }
    }
    void copy() {
        activeApplication.setFrontmostName(applications[copies % std::size(applications)]);
        ControllerHarness::copy(sampleText(copies++));
    }
};

// Everything the panel shows drawn into an image: the whole paint, without the shortcuts
// a window system may take for covered or unchanged areas.
void paintAll(QWidget& view) {
    benchmark::DoNotOptimize(view.grab());
}

// From show() of a panel built over a full history to its first complete paint: the cold
// path of the first click on the tray icon (no row measured or wrapped yet).
void showNewPanel(benchmark::State& state) {
    FullHistory history;
    for (auto _ : state) {
        state.PauseTiming();
        auto view = std::make_unique<ClipboardHistoryView>(history.viewModel);
        state.ResumeTiming();
        view->show();
        paintAll(*view);
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(showNewPanel)->Unit(benchmark::kMillisecond);

// Showing the panel again, as every later click on the tray icon does.
void reshowPanel(benchmark::State& state) {
    FullHistory history;
    ClipboardHistoryView view(history.viewModel);
    view.show();
    paintAll(view);
    for (auto _ : state) {
        state.PauseTiming();
        view.hide();
        QApplication::processEvents();
        state.ResumeTiming();
        view.show();
        paintAll(view);
    }
}
BENCHMARK(reshowPanel)->Unit(benchmark::kMillisecond);

// A capture into a full history while the panel is open, up to the new row painted.
void captureWithPanelOpen(benchmark::State& state) {
    FullHistory history;
    ClipboardHistoryView view(history.viewModel);
    view.show();
    paintAll(view);
    for (auto _ : state) {
        history.copy();
        paintAll(view);
    }
}
BENCHMARK(captureWithPanelOpen)->Unit(benchmark::kMillisecond);

// The same capture with the panel closed: the controller's share of the figure above.
void captureWithPanelClosed(benchmark::State& state) {
    FullHistory history;
    ClipboardHistoryView view(history.viewModel);
    for (auto _ : state) {
        history.copy();
    }
}
BENCHMARK(captureWithPanelClosed)->Unit(benchmark::kMillisecond);

// Typing one character into the search field over a full history, up to the list painted.
void searchWithPanelOpen(benchmark::State& state) {
    FullHistory history;
    ClipboardHistoryView view(history.viewModel);
    view.show();
    paintAll(view);
    bool filtered = false;
    for (auto _ : state) {
        history.viewModel.setSearchText(filtered ? std::string() : std::string("line 3"));
        filtered = !filtered;
        paintAll(view);
    }
}
BENCHMARK(searchWithPanelOpen)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nimbrook

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
