#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "model/HistoryCodec.h"
#include "model/HistoryLimit.h"
#include "model/StorageService.h"

namespace nimbrook {
namespace {

constexpr std::size_t entryBytes = 10 * 1024;

// A full history of 10 KB texts, mixed Latin words, Chinese characters, punctuation, slashes
// and line breaks, the same on every run.
std::vector<ClipboardItem> fullHistory() {
    static const std::vector<std::string> pieces{
        "clipboard ",  "history ", "https://example.org/path ",
        "\"quoted\" ", "tab\t",    "剪贴板",
        "历史记录",    "复制",     "粘贴",
        "。",          "\n",       "{\"k\": 1} ",
        "Straße ",     "naïve ",   "函数 "};
    std::mt19937 random(20240315);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::vector<ClipboardItem> items;
    for (std::size_t index = 0; index < historyLimit; ++index) {
        std::string content;
        while (content.size() < entryBytes) {
            content += pieces[pick(random)];
        }
        items.emplace_back(
            Uuid::random(), std::move(content), ContentType::plainText,
            Timestamp{786000000.123456 + static_cast<double>(index)},
            index % 3 == 0 ? std::optional<std::string>("Firefox ESR") : std::nullopt);
    }
    return items;
}

std::filesystem::path benchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "nimbrook-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    return pattern;
}

void saveFullHistory(benchmark::State& state) {
    const std::vector<ClipboardItem> items = fullHistory();
    const std::filesystem::path folder = benchFolder();
    StorageService storage(folder);
    for (auto _ : state) {
        storage.save(items);
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * items.size() * entryBytes));
    std::filesystem::remove_all(folder);
}

void loadFullHistory(benchmark::State& state) {
    const std::filesystem::path folder = benchFolder();
    StorageService storage(folder);
    storage.save(fullHistory());
    for (auto _ : state) {
        benchmark::DoNotOptimize(storage.load());
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * historyLimit * entryBytes));
    std::filesystem::remove_all(folder);
}

void encodeFullHistory(benchmark::State& state) {
    const std::vector<ClipboardItem> items = fullHistory();
    for (auto _ : state) {
        benchmark::DoNotOptimize(HistoryCodec::encode(items));
    }
}

void decodeFullHistory(benchmark::State& state) {
    const std::string bytes = HistoryCodec::encode(fullHistory());
    for (auto _ : state) {
        benchmark::DoNotOptimize(HistoryCodec::decode(bytes));
    }
}

BENCHMARK(saveFullHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(loadFullHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(encodeFullHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeFullHistory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nimbrook
