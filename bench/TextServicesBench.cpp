#include <cstddef>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "platform/JsonText.h"
#include "platform/Pattern.h"
#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

constexpr std::size_t kilobyte = 1024;
constexpr std::size_t megabyte = 1024 * kilobyte;

// The hardest case for the link pattern: every "[" starts a lazy scan to the end of the line.
void patternOnOpenBrackets(benchmark::State& state) {
    static const Pattern link(R"(\[.+?\]\(.+?\))");
    const std::string text(static_cast<std::size_t>(state.range(0)), '[');
    for (auto _ : state) {
        benchmark::DoNotOptimize(link.findIn(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    ByteFloor::report(state, {text});
}
BENCHMARK(patternOnOpenBrackets)
    ->Arg(kilobyte)
    ->Arg(megabyte)
    ->Arg(10 * megabyte)
    ->Unit(benchmark::kMillisecond);

void patternOnStars(benchmark::State& state) {
    static const Pattern emphasis(R"(\*(.+?)\*)");
    const std::string text(static_cast<std::size_t>(state.range(0)), '*');
    for (auto _ : state) {
        benchmark::DoNotOptimize(emphasis.replaceAll(text, "$1"));
    }
    ByteFloor::report(state, {text});
}
BENCHMARK(patternOnStars)
    ->Arg(kilobyte)
    ->Arg(100'000)
    ->Arg(megabyte)
    ->Unit(benchmark::kMillisecond);

void patternOnUnclosedAnchors(benchmark::State& state) {
    static const Pattern anchor(R"re(<a[^>]*href="([^"]*)"[^>]*>(.*?)</a>)re");
    const std::string text = BenchInputs::repeated("<a", static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(anchor.replaceAll(text, "[$2]($1)"));
    }
    ByteFloor::report(state, {text});
}
BENCHMARK(patternOnUnclosedAnchors)
    ->Arg(kilobyte)
    ->Arg(megabyte)
    ->Arg(5 * megabyte)
    ->Unit(benchmark::kMillisecond);

// An ordinary text without a match: the whole text is scanned once.
void patternOnProse(benchmark::State& state) {
    static const Pattern keyword(R"((?m)^\s*(def|from|import|class|if __name__)\s+)");
    const std::string text = BenchInputs::repeated("    一段普通的文字, plain words of a line\n",
                                                   static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(keyword.findIn(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    ByteFloor::report(state, {text});
}
BENCHMARK(patternOnProse)
    ->Arg(kilobyte)
    ->Arg(megabyte)
    ->Arg(10 * megabyte)
    ->Unit(benchmark::kMillisecond);

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
