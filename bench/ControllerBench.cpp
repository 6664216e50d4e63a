#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "controller/ClipboardViewModel.h"
#include "model/StorageService.h"
#include "model/Uuid.h"
#include "support/InMemoryActiveApplication.h"
#include "support/InMemoryImageStore.h"
#include "support/InMemoryPasteboard.h"
#include "support/ManualClock.h"
#include "support/ManualScheduler.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::size_t entryBytes = 10 * 1024;

// Mixed Latin words and Chinese characters, about `bytes` long, different for every seed.
std::string sampleText(std::uint64_t seed, std::size_t bytes) {
    static const std::vector<std::string> chinese = {"剪", "贴", "板", "历", "史", "记",
                                                     "录", "工", "具", "文", "本", "内"};
    std::string text = std::to_string(seed);
    text += ' ';
    std::uint64_t state = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    while (text.size() < bytes) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const auto pick = static_cast<std::size_t>(state >> 33);
        if (pick % 4 == 0) {
            text += chinese[pick % chinese.size()];
        } else {
            text += static_cast<char>('a' + pick % 26);
            text += static_cast<char>('a' + (pick >> 8) % 26);
            text += (pick >> 16) % 3 == 0 ? "\n" : " ";
        }
    }
    return text;
}

// A controller on the in-memory platform whose history file holds `entries` texts.
class Bench final {
public:
    explicit Bench(std::size_t entries) {
        std::string pattern = (fs::temp_directory_path() / "controller-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        root_ = pattern;
        storage_ = std::make_unique<StorageService>(root_ / "data", [](const std::string&) {});
        std::vector<ClipboardItem> items;
        for (std::size_t i = 0; i < entries; ++i) {
            items.emplace_back(Uuid::random(), sampleText(i, entryBytes), ContentType::plainText,
                               clock_.now(), "Firefox ESR");
        }
        storage_->save(items);
        viewModel_ = std::make_unique<ClipboardViewModel>(ClipboardViewModel::Services{
            {pasteboard_, application_, images_, scheduler_, clock_}, *storage_});
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
    fs::path root_;
    std::unique_ptr<StorageService> storage_;
    std::unique_ptr<ClipboardViewModel> viewModel_;
};

// One copy of a new 10 KB text, picked up by one tick, against a history of state.range(0).
void captureOneText(benchmark::State& state) {
    const auto entries = static_cast<std::size_t>(state.range(0));
    Bench bench(entries);
    std::vector<std::string> texts;
    for (std::uint64_t i = 0; i < 1024; ++i) {
        texts.push_back(sampleText(1'000'000 + i, entryBytes));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        bench.pasteboard_.copyText(texts[next++ % texts.size()]);
        bench.clock_.advance(500ms);
        if (bench.viewModel_->items().size() > entries) {
            state.PauseTiming();
            bench.viewModel_->deleteItem(bench.viewModel_->items().front());
            state.ResumeTiming();
        }
    }
    state.counters["entries"] = static_cast<double>(bench.viewModel_->items().size());
}
BENCHMARK(captureOneText)->Arg(0)->Arg(100)->Arg(500)->Unit(benchmark::kMicrosecond);

// One read of filteredItems over 500 entries of 10 KB.
void filterFullHistory(benchmark::State& state, const std::string& query) {
    Bench bench(500);
    bench.viewModel_->setSearchText(query);
    benchmark::DoNotOptimize(bench.viewModel_->filteredItems());
    for (auto _ : state) {
        auto result = bench.viewModel_->filteredItems();
        benchmark::DoNotOptimize(result);
        state.counters["matches"] = static_cast<double>(result.size());
    }
}
BENCHMARK_CAPTURE(filterFullHistory, latin1, std::string("q"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(filterFullHistory, latin3, std::string("qzx"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(filterFullHistory, latin8, std::string("qu ickzx"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(filterFullHistory, chinese1, std::string("剪"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(filterFullHistory, chinese3, std::string("剪贴板"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(filterFullHistory, chinese8, std::string("剪贴板历史记录工具"))
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace nimbrook
