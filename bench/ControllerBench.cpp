#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "controller/ClipboardViewModel.h"
#include "model/HistoryJournal.h"
#include "model/StorageService.h"
#include "support/InMemoryActiveApplication.h"
#include "support/InMemoryImageStore.h"
#include "support/InMemoryPasteboard.h"
#include "support/ManualClock.h"
#include "support/ManualScheduler.h"
#include "support/ManualWorkQueue.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::size_t kilobyte = BenchInputs::kilobyte;
constexpr std::size_t captures = 256;

// A controller on the in-memory platform whose history file holds `entries` texts of
// `entryBytes` each.
class Bench final {
public:
    Bench(std::size_t entries, std::size_t entryBytes) {
        std::string pattern = (fs::temp_directory_path() / "controller-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        root_ = pattern;
        storage_ = std::make_unique<StorageService>(root_ / "data", [](const std::string&) {});
        storage_->save(BenchInputs::history(entries, entryBytes, 7));
        journal_ = std::make_unique<HistoryJournal>(root_ / "data", [](const std::string&) {});
        viewModel_ = std::make_unique<ClipboardViewModel>(ClipboardViewModel::Services{
            {pasteboard_, application_, images_, scheduler_, clock_, workQueue_},
            *storage_,
            *journal_});
    }
    ~Bench() {
        viewModel_.reset();
        fs::remove_all(root_);
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    InMemoryPasteboard pasteboard_;
    InMemoryActiveApplication application_;
    InMemoryImageStore images_;
    ManualClock clock_;
    ManualScheduler scheduler_{clock_};
    ManualWorkQueue workQueue_;
    fs::path root_;
    std::unique_ptr<StorageService> storage_;
    std::unique_ptr<HistoryJournal> journal_;
    std::unique_ptr<ClipboardViewModel> viewModel_;
};

// What the panel's thread spends on one copy of a new 10 KB text against a history of
// state.range(0) entries: the tick that reads it and hands it to the worker, and the entry's
// arrival (the duplicate scan, insertion, trimming, the journal line, scheduling the save).
// The worker's part, the classification and the saves, is not timed. A fixed count of
// captures, one for each text, keeps each one new (a duplicate is far cheaper) and the
// untimed saves of a full history, milliseconds each, from stretching the run.
void capture(benchmark::State& state) {
    const auto entries = static_cast<std::size_t>(state.range(0));
    Bench bench(entries, 10 * kilobyte);
    bench.workQueue_.hold();
    std::vector<std::string> texts;
    for (std::uint64_t seed = 0; seed < captures; ++seed) {
        texts.push_back(BenchInputs::mixed(10 * kilobyte, 1000 + seed));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        bench.pasteboard_.copyText(texts[next++]);
        bench.clock_.advance(500ms);
        state.PauseTiming();
        while (bench.workQueue_.runNextJob()) {
        }
        state.ResumeTiming();
        bench.workQueue_.deliver();
        // Below the limit the history grows: keep it at its size without timing the removal.
        if (bench.viewModel_->items().size() > entries) {
            state.PauseTiming();
            bench.viewModel_->deleteItem(bench.viewModel_->items().front());
            state.ResumeTiming();
        }
    }
    ByteFloor::report(state, {texts.front()});
}
BENCHMARK(capture)->ArgName("entries")->Arg(0)->Arg(100)->Arg(500)->Iterations(captures)->Unit(
    benchmark::kMicrosecond);

// What the panel's thread spends on one copy of a 20 MB PNG: the tick that reads the bytes and
// hands the write to the worker, and the entry's arrival once the file is written (the
// duplicate scan, the journal line, the views told). The write itself, on the worker, and
// the removal that keeps the history at 500 entries are not timed.
void captureImage(benchmark::State& state) {
    Bench bench(500, kilobyte);
    bench.workQueue_.hold();
    const std::string png = "\x89PNG\r\n\x1a\n" + std::string(20 * 1000 * 1000, 'p');
    const auto finishWork = [&bench] {
        while (bench.workQueue_.runNextJob()) {
            bench.workQueue_.deliver();
        }
    };
    for (auto _ : state) {
        state.PauseTiming();
        bench.pasteboard_.copy({.png = png});
        state.ResumeTiming();
        bench.clock_.advance(500ms);
        state.PauseTiming();
        bench.workQueue_.runNextJob();
        state.ResumeTiming();
        bench.workQueue_.deliver();
        state.PauseTiming();
        bench.viewModel_->deleteItem(bench.viewModel_->items().front());
        finishWork();
        ImageStore::Names names;
        for (const auto& [path, bytes] : bench.images_.files()) {
            names.insert(fs::path(path).filename().string());
        }
        bench.images_.remove(names);
        state.ResumeTiming();
    }
}
BENCHMARK(captureImage)->Name("captureImage/20MB")->Unit(benchmark::kMillisecond);

// One read of filteredItems: what one keystroke in the search field costs.
void search(benchmark::State& state, std::size_t entryBytes, const std::string& query) {
    Bench bench(500, entryBytes);
    bench.viewModel_->setSearchText(query);
    std::size_t matches = 0;
    for (auto _ : state) {
        auto result = bench.viewModel_->filteredItems();
        matches = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["matches"] = static_cast<double>(matches);
    std::vector<std::string_view> searched;
    for (const ClipboardItem& item : bench.viewModel_->items()) {
        searched.push_back(item.searchableContent());
    }
    ByteFloor::report(state, searched);
}

// Queries as typed, one to eight characters, that most entries do not hold, so every entry
// is searched to its end; and a common one that matches at once.
[[maybe_unused]] const bool registered = [] {
    const std::pair<std::string_view, std::string_view> queries[] = {
        {"latin1", "j"},    {"latin3", "zip"},      {"latin8", "kingdoms"},
        {"chinese1", "龙"}, {"chinese3", "龙猫图"}, {"chinese8", "龙猫图书馆的钥匙"},
        {"common3", "the"},
    };
    for (std::size_t entryBytes : {10 * kilobyte, kilobyte}) {
        for (const auto& [name, query] : queries) {
            const std::string label =
                "search/" + BenchInputs::sizeName(entryBytes) + "/" + std::string(name);
            benchmark::RegisterBenchmark(label.c_str(), [entryBytes, query = std::string(query)](
                                                            benchmark::State& state) {
                search(state, entryBytes, query);
            })->Unit(benchmark::kMicrosecond);
        }
    }
    return true;
}();

}  // namespace
}  // namespace nimbrook
