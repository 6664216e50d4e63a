#include <cstddef>
#include <string>
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

// Unclosed openers make the lazy patterns rescan the rest of the line from every opener;
// the time limit of each step is what bounds these.
void addAdversarial() {
    const std::string prefix = "convertAdversarial/";
    add(prefix + "htmlToMarkdown/unclosedAnchors/5MB", BenchInputs::repeated("<a", 5 * megabyte),
        Conversion::htmlToMarkdown);
    add(prefix + "stripFormat/openBrackets/10MB", std::string(10 * megabyte, '['),
        Conversion::stripFormat);
    add(prefix + "stripFormat/stars/100000B", std::string(100000, '*'), Conversion::stripFormat);
    add(prefix + "prettifyJSON/openBrackets/10MB", std::string(10 * megabyte, '['),
        Conversion::prettifyJSON);
    // Every closing tag is present, but only on the last line, where no opener can reach it.
    add(prefix + "htmlToMarkdown/unreachableClosingTags/1MB",
        BenchInputs::repeated("<h1><h2><h3><h4><b><i><code><li>", megabyte) +
            "\n</h1></h2></h3></h4></b></i></code></li>",
        Conversion::htmlToMarkdown);
    add(prefix + "stripFormat/unclosedMarkdown/1MB", BenchInputs::repeated("** [x]( ```", megabyte),
        Conversion::stripFormat);
}

[[maybe_unused]] const bool registered = [] {
    addRealistic();
    addAdversarial();
    return true;
}();

}  // namespace
}  // namespace nimbrook
