#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "conversion/SmartConverter.h"

namespace nimbrook {
namespace {

using Conversion = SmartConverter::Conversion;
using Kind = BenchInputs::Kind;
constexpr std::size_t kilobyte = BenchInputs::kilobyte;
constexpr std::size_t megabyte = BenchInputs::megabyte;

void convertText(benchmark::State& state, const std::string& text, Conversion conversion) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(SmartConverter::convert(text, conversion));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    ByteFloor::report(state, {text});
}

void add(const std::string& name, std::string text, Conversion conversion) {
    benchmark::RegisterBenchmark(name.c_str(), [text = std::move(text),
                                                conversion](benchmark::State& state) {
        convertText(state, text, conversion);
    })->Unit(benchmark::kMillisecond);
}

// Each conversion on the kind of text it is meant for, at every size.
void addRealistic() {
    struct Case {
        Conversion conversion;
        Kind kind;
    };
    const Case cases[] = {
        {Conversion::prettifyJSON, Kind::json},   {Conversion::minifyJSON, Kind::json},
        {Conversion::wrapCode, Kind::sourceCode}, {Conversion::htmlToMarkdown, Kind::html},
        {Conversion::urlToMarkdown, Kind::url},   {Conversion::stripFormat, Kind::markdown},
        {Conversion::stripFormat, Kind::json},
    };
    for (const Case& entry : cases) {
        for (std::size_t bytes : {kilobyte, 10 * kilobyte, megabyte, 10 * megabyte}) {
            add("convert/" + std::string(SmartConverter::rawValue(entry.conversion)) + "/" +
                    std::string(BenchInputs::kindName(entry.kind)) + "/" +
                    BenchInputs::sizeName(bytes),
                BenchInputs::text(entry.kind, bytes, bytes + 17), entry.conversion);
        }
    }
}

// Texts on which ICU's own search retries far from every opener (quadratic time): unclosed
// tags, anchors, emphasis, links and fences, closers out of reach on the last line, and a
// fenced block of many lines. Both conversions on each, at 1 MB and 10 MB.
void addHostile() {
    const auto fencedCode = [](std::size_t bytes) {
        return "# T\n```\n" + BenchInputs::repeated("int x = 1;\n", bytes) + "```";
    };
    const std::vector<std::pair<std::string, std::function<std::string(std::size_t)>>> inputs{
        {"openTags",
         [](std::size_t bytes) {
             return "<span>keep</span>" + BenchInputs::repeated(" a<b", bytes);
         }},
        {"lessThanRun", [](std::size_t bytes) { return std::string(bytes, '<'); }},
        {"unclosedAnchors", [](std::size_t bytes) { return BenchInputs::repeated("<a", bytes); }},
        {"unreachableClosingTags",
         [](std::size_t bytes) {
             return BenchInputs::repeated("<h1><h2><h3><h4><b><i><code><li>", bytes) +
                    "\n</h1></h2></h3></h4></b></i></code></li>";
         }},
        {"openBrackets", [](std::size_t bytes) { return std::string(bytes, '['); }},
        {"stars", [](std::size_t bytes) { return std::string(bytes, '*'); }},
        {"unclosedMarkdown",
         [](std::size_t bytes) { return BenchInputs::repeated("** [x]( ```", bytes); }},
        {"fencedCode", fencedCode},
    };
    for (const Conversion conversion : {Conversion::htmlToMarkdown, Conversion::stripFormat}) {
        for (const auto& [name, make] : inputs) {
            for (const std::size_t bytes : {megabyte, 10 * megabyte}) {
                add("convertHostile/" + std::string(SmartConverter::rawValue(conversion)) + "/" +
                        name + "/" + BenchInputs::sizeName(bytes),
                    make(bytes), conversion);
            }
        }
    }
    add("convertHostile/prettifyJSON/openBrackets/10MB", std::string(10 * megabyte, '['),
        Conversion::prettifyJSON);
}

[[maybe_unused]] const bool registered = [] {
    addRealistic();
    addHostile();
    return true;
}();

}  // namespace
}  // namespace nimbrook
