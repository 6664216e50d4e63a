#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

namespace nimbrook {

// The physical floor of a benchmark, measured in the same run: the time memchr needs to read
// the bytes the operation reads at least once. Reported beside the figure, it makes the
// figure comparable on a loaded or slow machine ("x floor").
class ByteFloor final {
public:
    // Sets the counters "bytes" (the total size) and "floor_ns" (median time of one memchr
    // pass over all `spans`) on `state`. Call after the timed loop; an empty total reports 0.
    static void report(benchmark::State& state, std::initializer_list<std::string_view> spans);
    static void report(benchmark::State& state, const std::vector<std::string_view>& spans);
    static void report(benchmark::State& state, const std::vector<std::string>& texts);

    // Median nanoseconds of one memchr pass over all `spans`.
    static double measure(const std::vector<std::string_view>& spans);
};

}  // namespace nimbrook
