// Writes the benchmarks' full history (500 entries of 10 KB) as the history file of the data
// folder given as the only argument, for measuring the real program with it.
#include <cstdio>
#include <string>

#include "BenchInputs.h"
#include "model/HistoryLimit.h"
#include "model/StorageService.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
        return 2;
    }
    bool failed = false;
    nimbrook::StorageService storage(argv[1], [&failed](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        failed = true;
    });
    storage.save(nimbrook::BenchInputs::history(nimbrook::historyLimit,
                                                10 * nimbrook::BenchInputs::kilobyte, 7));
    return failed ? 1 : 0;
}
