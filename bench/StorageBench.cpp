#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "model/HistoryCodec.h"
#include "model/HistoryLimit.h"
#include "model/StorageService.h"

namespace nimbrook {
namespace {

constexpr std::size_t entryBytes = 10 * BenchInputs::kilobyte;

// A full history of 10 KB texts, the same on every run.
const std::vector<ClipboardItem>& fullHistory() {
    static const std::vector<ClipboardItem> items =
        BenchInputs::history(historyLimit, entryBytes, 7);
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

// The floor of both directions is one pass over the bytes of the file.
void reportFileFloor(benchmark::State& state) {
    const std::string bytes = HistoryCodec::encode(fullHistory());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    ByteFloor::report(state, {bytes});
}

void save(benchmark::State& state) {
    const std::filesystem::path folder = benchFolder();
    StorageService storage(folder);
    for (auto _ : state) {
        storage.save(fullHistory());
    }
    std::filesystem::remove_all(folder);
    reportFileFloor(state);
}
BENCHMARK(save)->Name("save/500x10KB")->Unit(benchmark::kMillisecond);

void load(benchmark::State& state) {
    const std::filesystem::path folder = benchFolder();
    StorageService storage(folder);
    storage.save(fullHistory());
    for (auto _ : state) {
        benchmark::DoNotOptimize(storage.load());
    }
    std::filesystem::remove_all(folder);
    reportFileFloor(state);
}
BENCHMARK(load)->Name("load/500x10KB")->Unit(benchmark::kMillisecond);

void encode(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(HistoryCodec::encode(fullHistory()));
    }
    reportFileFloor(state);
}
BENCHMARK(encode)->Name("encode/500x10KB")->Unit(benchmark::kMillisecond);

void decode(benchmark::State& state) {
    const std::string bytes = HistoryCodec::encode(fullHistory());
    for (auto _ : state) {
        benchmark::DoNotOptimize(HistoryCodec::decode(bytes));
    }
    reportFileFloor(state);
}
BENCHMARK(decode)->Name("decode/500x10KB")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nimbrook
