#include <array>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include "detection/ContentDetector.h"

namespace nimbrook {
namespace {

constexpr std::size_t kilobyte = 1 << 10;
constexpr std::size_t megabyte = 1 << 20;

// Lines of every kind the detector looks for, so each pattern has work to do.
constexpr std::array<std::string_view, 12> sampleLines{
    "The quick brown fox jumps over the lazy dog, again and again.",
    "    return value * 2;",
    "import os",
    "- a bullet item with some words",
    "1. a numbered item",
    "> a quoted remark",
    "see [the docs](https://example.com/docs) for more",
    "**bold** opening words",
    "const answer = compute(42);",
    "剪贴板历史记录中的一行中文文字。",
    "https://example.com/a/b?q=1",
    "}",
};

// A multi-line text of about `size` bytes, the same for every run of the program.
std::string mixedText(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, sampleLines.size() - 1);
    std::string text;
    text.reserve(size + 128);
    while (text.size() < size) {
        text += sampleLines[pick(random)];
        text += '\n';
    }
    return text;
}

std::string repeated(std::string_view piece, std::size_t totalSize) {
    std::string text;
    text.reserve(totalSize + piece.size());
    while (text.size() < totalSize) {
        text += piece;
    }
    return text;
}

void detectText(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(ContentDetector::detect(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_DetectMixed1KB(benchmark::State& state) {
    static const std::string text = mixedText(kilobyte, 1);
    detectText(state, text);
}
BENCHMARK(BM_DetectMixed1KB);

void BM_DetectMixed1MB(benchmark::State& state) {
    static const std::string text = mixedText(megabyte, 2);
    detectText(state, text);
}
BENCHMARK(BM_DetectMixed1MB)->Unit(benchmark::kMillisecond);

void BM_DetectProse1MB(benchmark::State& state) {
    static const std::string text = repeated(sampleLines[0], megabyte);
    detectText(state, text);
}
BENCHMARK(BM_DetectProse1MB)->Unit(benchmark::kMillisecond);

void BM_DetectOpeningBrackets10MB(benchmark::State& state) {
    static const std::string text(10 * megabyte, '[');
    detectText(state, text);
}
BENCHMARK(BM_DetectOpeningBrackets10MB)->Unit(benchmark::kMillisecond);

void BM_DetectBracketsClosedAtEnd10MB(benchmark::State& state) {
    static const std::string text = std::string(10 * megabyte - 1, '[') + "]";
    detectText(state, text);
}
BENCHMARK(BM_DetectBracketsClosedAtEnd10MB)->Unit(benchmark::kMillisecond);

void BM_DetectStars100K(benchmark::State& state) {
    static const std::string text(100000, '*');
    detectText(state, text);
}
BENCHMARK(BM_DetectStars100K)->Unit(benchmark::kMillisecond);

void BM_DetectStars10MB(benchmark::State& state) {
    static const std::string text(10 * megabyte, '*');
    detectText(state, text);
}
BENCHMARK(BM_DetectStars10MB)->Unit(benchmark::kMillisecond);

void BM_DetectUnclosedTags5MB(benchmark::State& state) {
    static const std::string text = repeated("<a", 5 * megabyte);
    detectText(state, text);
}
BENCHMARK(BM_DetectUnclosedTags5MB)->Unit(benchmark::kMillisecond);

void BM_DetectUnclosedLinks10MB(benchmark::State& state) {
    static const std::string text = repeated("[a](", 10 * megabyte);
    detectText(state, text);
}
BENCHMARK(BM_DetectUnclosedLinks10MB)->Unit(benchmark::kMillisecond);

void BM_DetectBlankLinesBeforeKeyword10MB(benchmark::State& state) {
    static const std::string text = "x" + std::string(10 * megabyte, '\n') + "import os;";
    detectText(state, text);
}
BENCHMARK(BM_DetectBlankLinesBeforeKeyword10MB)->Unit(benchmark::kMillisecond);

void BM_DetectLinkBacktracking10MB(benchmark::State& state) {
    // One bullet makes the link pattern decide; every "[" then starts a search that runs
    // to the end of its line and fails there, as the ")" stands on the next line.
    static const std::string text = "- a\n" + std::string(10 * megabyte, '[') + "](\n)";
    detectText(state, text);
}
BENCHMARK(BM_DetectLinkBacktracking10MB)->Unit(benchmark::kMillisecond);

void BM_DetectIndentedBlankLines10MB(benchmark::State& state) {
    static const std::string text = "x\n" + repeated(" \n", 10 * megabyte) + "import os;";
    detectText(state, text);
}
BENCHMARK(BM_DetectIndentedBlankLines10MB)->Unit(benchmark::kMillisecond);

void BM_DetectBlankLinesWithoutKeywordLine10MB(benchmark::State& state) {
    // Each line start lets "^\s*" run over all blank lines below it before failing: the
    // keyword searches end on their time limit.
    static const std::string text = "x;\n" + std::string(300000, '\n') + "y import class let " +
                                    std::string(10 * megabyte, 'a');
    detectText(state, text);
}
BENCHMARK(BM_DetectBlankLinesWithoutKeywordLine10MB)->Unit(benchmark::kMillisecond);

void BM_DetectLineSeparatorRuns10MB(benchmark::State& state) {
    // Line separators (U+2028) end lines for the pattern engine: a long line of "[" whose
    // link ends after one, then a run of them between a semicolon and an indented keyword.
    std::string lineSeparators;
    for (int i = 0; i < 300000; ++i) {
        lineSeparators += "\u2028";
    }
    static const std::string text = "- a\n" + std::string(9 * megabyte, '[') + "](\u2028)\nx;" +
                                    lineSeparators + "y\u2028 import os";
    detectText(state, text);
}
BENCHMARK(BM_DetectLineSeparatorRuns10MB)->Unit(benchmark::kMillisecond);

void BM_DetectJsonArray10MB(benchmark::State& state) {
    static const std::string text =
        std::string("[").append(repeated("12345,", 10 * megabyte)).append("0]");
    detectText(state, text);
}
BENCHMARK(BM_DetectJsonArray10MB)->Unit(benchmark::kMillisecond);

void BM_DetectJsonBrokenAtEnd10MB(benchmark::State& state) {
    static const std::string text =
        std::string("[").append(repeated("{\"k\": \"v\"},", 10 * megabyte)).append("x]");
    detectText(state, text);
}
BENCHMARK(BM_DetectJsonBrokenAtEnd10MB)->Unit(benchmark::kMillisecond);

void BM_DetectKeywordAfterLongBlank10MB(benchmark::State& state) {
    // The keyword checks walk back over every blank before "let" to find the line start.
    static const std::string text = "a" + std::string(10 * megabyte, ' ') + "let x;";
    detectText(state, text);
}
BENCHMARK(BM_DetectKeywordAfterLongBlank10MB)->Unit(benchmark::kMillisecond);

void BM_DetectLoneFence10MB(benchmark::State& state) {
    static const std::string text = "```" + std::string(10 * megabyte, 'a') + "\n- a";
    detectText(state, text);
}
BENCHMARK(BM_DetectLoneFence10MB)->Unit(benchmark::kMillisecond);

void BM_DetectHttpLine10MB(benchmark::State& state) {
    static const std::string text = "https://example.com/" + std::string(10 * megabyte, 'a');
    detectText(state, text);
}
BENCHMARK(BM_DetectHttpLine10MB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nimbrook
