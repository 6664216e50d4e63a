// Writes the benchmarks' full history (500 entries of 10 KB, or of the kilobytes given as the
// second argument) as the history file of the data folder given first, for measuring the real
// program with it; prints the bytes of text it holds.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchInputs.h"
#include "model/HistoryLimit.h"
#include "model/StorageService.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <data folder> [kilobytes per entry]\n", argv[0]);
        return 2;
    }
    const std::size_t kilobytes = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 10;
    bool failed = false;
    nimbrook::StorageService storage(argv[1], [&failed](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        failed = true;
    });
    const auto items = nimbrook::BenchInputs::history(
        nimbrook::historyLimit, kilobytes * nimbrook::BenchInputs::kilobyte, 7);
    storage.save(items);
    // The text bytes, against which the program's memory is read.
    std::size_t textBytes = 0;
    for (const auto& item : items) {
        textBytes += item.content().size();
    }
    std::printf("%zu\n", textBytes);
    return failed ? 1 : 0;
}
