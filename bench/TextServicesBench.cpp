#include <cstddef>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "platform/JsonText.h"
#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

constexpr std::size_t kilobyte = 1024;
constexpr std::size_t megabyte = 1024 * kilobyte;

std::string jsonDocument(std::size_t size) {
    std::string text = "[";
    for (int index = 0; text.size() < size; ++index) {
        text += R"({"id":")" + std::to_string(index) + R"(","content":"https://example.com/路径/)" +
                std::to_string(index) +
                R"(","timestamp":786000000.123456,"tags":[1,2,3,true,null]},)";
    }
    text.back() = ']';
    return text;
}

void jsonPretty(benchmark::State& state) {
    const std::string text = jsonDocument(megabyte);
    const auto value = JsonText::parse(text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(JsonText::pretty(*value));
    }
    ByteFloor::report(state, {text});
}
BENCHMARK(jsonPretty)->Unit(benchmark::kMillisecond);

void jsonCompact(benchmark::State& state) {
    const std::string text = jsonDocument(megabyte);
    const auto value = JsonText::parse(text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(JsonText::compact(*value));
    }
    ByteFloor::report(state, {text});
}
BENCHMARK(jsonCompact)->Unit(benchmark::kMillisecond);

void jsonParse(benchmark::State& state) {
    const std::string text = jsonDocument(megabyte);
    for (auto _ : state) {
        benchmark::DoNotOptimize(JsonText::parse(text));
    }
    ByteFloor::report(state, {text});
}
BENCHMARK(jsonParse)->Unit(benchmark::kMillisecond);

void jsonParseOpenBrackets(benchmark::State& state) {
    const std::string text(10 * megabyte, '[');
    for (auto _ : state) {
        benchmark::DoNotOptimize(JsonText::parse(text));
    }
    ByteFloor::report(state, {text});
}
BENCHMARK(jsonParseOpenBrackets)->Unit(benchmark::kMillisecond);

void nfcOfComposedText(benchmark::State& state) {
    const std::string text = BenchInputs::repeated("Café 剪贴板 naïve ", 5 * megabyte);
    for (auto _ : state) {
        benchmark::DoNotOptimize(UnicodeText::nfc(text));
    }
    ByteFloor::report(state, {text});
}
BENCHMARK(nfcOfComposedText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nimbrook
