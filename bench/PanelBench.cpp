#include <QApplication>
#include <QImage>
#include <QListView>
#include <QRandomGenerator>
#include <QScrollBar>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include "model/HistoryLimit.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/ControllerHarness.h"
#include "ui/ThumbnailCache.h"

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

// 500 image entries, each naming a PNG of about 1 MB (noise does not compress), newest
// first; with `files` false the same paths name nothing, so no row has a picture.
struct ImageHistory : ControllerHarness {
    explicit ImageHistory(bool files = true) {
        const std::filesystem::path folder = this->folder.path().toStdString();
        const std::filesystem::path first = folder / "clipboard_0.png";
        if (files) {
            QImage noise(512, 512, QImage::Format_ARGB32);
            QRandomGenerator random(42);
            for (int y = 0; y < noise.height(); ++y) {
                auto* line = reinterpret_cast<quint32*>(noise.scanLine(y));
                random.fillRange(line, noise.width());
            }
            noise.save(QString::fromStdString(first.string()), "PNG");
        }
        for (std::size_t index = 0; index < historyLimit; ++index) {
            const std::filesystem::path path =
                folder / ("clipboard_" + std::to_string(index) + ".png");
            // Links of one file: each path is its own picture to the panel, read in full.
            if (files && index > 0) {
                std::filesystem::create_hard_link(first, path);
            }
            copy(path.string());
        }
    }
};

QListView& listOf(ClipboardHistoryView& view) {
    return *view.findChild<QListView*>(QStringLiteral("historyList"));
}

// From show() of a new panel over 500 image entries to its first paint, the pictures'
// reading held back: what the panel's own thread spends (the rows, no decoding).
void showPanelWithImages(benchmark::State& state) {
    ImageHistory history;
    for (auto _ : state) {
        state.PauseTiming();
        history.workQueue.hold();
        auto view = std::make_unique<ClipboardHistoryView>(history.viewModel);
        state.ResumeTiming();
        view->show();
        paintAll(*view);
        state.PauseTiming();
        history.workQueue.release();
        view.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(showPanelWithImages)->Unit(benchmark::kMillisecond);

// One page down and back over 500 image entries, each step painted, the pictures read
// before: scrolling through rows whose thumbnails are in the cache.
void scrollImagePage(benchmark::State& state) {
    ImageHistory history;
    ClipboardHistoryView view(history.viewModel);
    view.show();
    QScrollBar& bar = *listOf(view).verticalScrollBar();
    bar.setValue(bar.pageStep());
    paintAll(view);
    bar.setValue(0);
    paintAll(view);
    bool down = false;
    for (auto _ : state) {
        down = !down;
        bar.setValue(down ? bar.pageStep() : 0);
        paintAll(view);
    }
}
BENCHMARK(scrollImagePage)->Unit(benchmark::kMillisecond);

// The heap in use (glibc's count, mapped blocks included).
double heapMegabytes() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1 << 20);
}

// The heap once the panel has painted every page of 500 image entries (the cache as full as it
// gets), against the same history whose files are gone (no picture kept at all).
void heapWithImages(benchmark::State& state) {
    const bool files = state.range(0) != 0;
    for (auto _ : state) {
        ImageHistory history(files);
        ClipboardHistoryView view(history.viewModel);
        view.show();
        QScrollBar& bar = *listOf(view).verticalScrollBar();
        for (int value = 0; value <= bar.maximum(); value += bar.pageStep()) {
            bar.setValue(value);
            paintAll(view);
        }
        history.workQueue.drain();
        malloc_trim(0);
        state.counters["heapMB"] = heapMegabytes();
        qsizetype held = 0;
        for (const ThumbnailCache* cache : view.findChildren<ThumbnailCache*>()) {
            held += cache->heldBytes();
        }
        state.counters["cacheMB"] = double(held) / (1 << 20);
    }
}
BENCHMARK(heapWithImages)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

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
