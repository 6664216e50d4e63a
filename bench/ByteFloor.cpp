#include "ByteFloor.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace nimbrook {
namespace {

using Clock = std::chrono::steady_clock;

// Searching for a byte that clipboard text does not hold reads every byte once.
std::size_t scan(const std::vector<std::string_view>& spans) {
    std::size_t found = 0;
    for (std::string_view span : spans) {
        found += std::memchr(span.data(), '\0', span.size()) != nullptr ? 1 : 0;
    }
    return found;
}

}  // namespace

double ByteFloor::measure(const std::vector<std::string_view>& spans) {
    // Passes are grouped so that one sample lasts well above the clock's resolution.
    constexpr auto sampleLength = std::chrono::microseconds(200);
    std::size_t passes = 1;
    while (true) {
        const auto start = Clock::now();
        for (std::size_t pass = 0; pass < passes; ++pass) {
            benchmark::DoNotOptimize(scan(spans));
        }
        if (Clock::now() - start >= sampleLength || passes >= (std::size_t{1} << 24)) {
            break;
        }
        passes *= 2;
    }
    std::array<double, 9> samples{};
    for (double& sample : samples) {
        const auto start = Clock::now();
        for (std::size_t pass = 0; pass < passes; ++pass) {
            benchmark::DoNotOptimize(scan(spans));
        }
        const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
        sample = elapsed.count() / static_cast<double>(passes);
    }
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

void ByteFloor::report(benchmark::State& state, const std::vector<std::string_view>& spans) {
    std::size_t bytes = 0;
    for (std::string_view span : spans) {
        bytes += span.size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["floor_ns"] = bytes == 0 ? 0.0 : measure(spans);
}

void ByteFloor::report(benchmark::State& state, std::initializer_list<std::string_view> spans) {
    report(state, std::vector<std::string_view>(spans));
}

void ByteFloor::report(benchmark::State& state, const std::vector<std::string>& texts) {
    report(state, std::vector<std::string_view>(texts.begin(), texts.end()));
}

}  // namespace nimbrook
