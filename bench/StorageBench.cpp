#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "model/HistoryChange.h"
#include "model/HistoryCodec.h"
#include "model/HistoryJournal.h"
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

// What the journal costs the panel's thread per capture: the entry's record encoded and
// appended with one write. The journal is emptied now and then, untimed, as saves do.
void journalAppend(benchmark::State& state, std::size_t bytes) {
    const std::filesystem::path folder = benchFolder();
    HistoryJournal journal(folder, [](const std::string&) {});
    const std::vector<ClipboardItem> entries = BenchInputs::history(16, bytes, 11);
    std::size_t next = 0;
    for (auto _ : state) {
        journal.append(HistoryChange::insertion(entries[next++ % entries.size()]));
        if (next % 64 == 0) {
            state.PauseTiming();
            journal.discardThrough(journal.mark());
            state.ResumeTiming();
        }
    }
    std::filesystem::remove_all(folder);
    ByteFloor::report(state, {entries.front().content()});
}
BENCHMARK_CAPTURE(journalAppend, 10KB, 10 * BenchInputs::kilobyte)
    ->Name("journal/append/10KB")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(journalAppend, 1MB, BenchInputs::megabyte)
    ->Name("journal/append/1MB")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace nimbrook
