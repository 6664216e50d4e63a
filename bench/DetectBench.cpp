#include <cstddef>
#include <string>
#include <utility>

#include <benchmark/benchmark.h>

#include "BenchInputs.h"
#include "ByteFloor.h"
#include "detection/ContentDetector.h"

namespace nimbrook {
namespace {

constexpr std::size_t kilobyte = BenchInputs::kilobyte;
constexpr std::size_t megabyte = BenchInputs::megabyte;

void detectText(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(ContentDetector::detect(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    ByteFloor::report(state, {text});
}

void add(const std::string& name, std::string text) {
    benchmark::RegisterBenchmark(name.c_str(), [text = std::move(text)](benchmark::State& state) {
        detectText(state, text);
    })->Unit(benchmark::kMillisecond);
}

std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) {
        text.append(piece);
    }
    return text;
}

// What the monitor hands the detector on every copy: mixed texts at every size, and each
// kind alone at 1 MB.
void addRealistic() {
    for (std::size_t bytes : {kilobyte, 10 * kilobyte, megabyte, 10 * megabyte}) {
        add("detect/mixed/" + BenchInputs::sizeName(bytes), BenchInputs::mixed(bytes, bytes));
    }
    for (BenchInputs::Kind kind : BenchInputs::allKinds()) {
        add("detect/" + std::string(BenchInputs::kindName(kind)) + "/1MB",
            BenchInputs::text(kind, megabyte, 3));
    }
}

// Texts built to make one of the detector's searches slow; each must stay bounded.
void addAdversarial() {
    const std::string prefix = "detectAdversarial/";
    add(prefix + "openBrackets/10MB", std::string(10 * megabyte, '['));
    add(prefix + "bracketsClosedAtEnd/10MB", std::string(10 * megabyte - 1, '[').append("]"));
    add(prefix + "stars/100000B", std::string(100000, '*'));
    add(prefix + "stars/10MB", std::string(10 * megabyte, '*'));
    add(prefix + "unclosedTags/5MB", BenchInputs::repeated("<a", 5 * megabyte));
    add(prefix + "unclosedLinks/10MB", BenchInputs::repeated("[a](", 10 * megabyte));
    add(prefix + "blankLinesBeforeKeyword/10MB",
        joined({"x", std::string(10 * megabyte, '\n'), "import os;"}));
    // One bullet makes the link pattern decide; every "[" then starts a search that runs
    // to the end of its line and fails there, as the ")" stands on the next line.
    add(prefix + "linkBacktracking/10MB",
        joined({"- a\n", std::string(10 * megabyte, '['), "](\n)"}));
    add(prefix + "indentedBlankLines/10MB",
        joined({"x\n", BenchInputs::repeated(" \n", 10 * megabyte), "import os;"}));
    // Each line start lets "^\s*" run over all blank lines below it before failing.
    add(prefix + "blankLinesWithoutKeywordLine/10MB",
        joined({"x;\n", std::string(300000, '\n'), "y import class let ",
                std::string(10 * megabyte, 'a')}));
    // Line separators (U+2028) end lines for the pattern engine: a long line of "[" whose
    // link ends after one, then a run of them between a semicolon and an indented keyword.
    add(prefix + "lineSeparatorRuns/10MB",
        joined({"- a\n", std::string(9 * megabyte, '['), "](\u2028)\nx;",
                BenchInputs::repeated("\u2028", 900000), "y\u2028 import os"}));
    add(prefix + "jsonArray/10MB",
        joined({"[", BenchInputs::repeated("12345,", 10 * megabyte), "0]"}));
    add(prefix + "jsonBrokenAtEnd/10MB",
        joined({"[", BenchInputs::repeated("{\"k\": \"v\"},", 10 * megabyte), "x]"}));
    // The keyword checks walk back over every blank before "let" to find the line start.
    add(prefix + "keywordAfterLongBlank/10MB",
        joined({"a", std::string(10 * megabyte, ' '), "let x;"}));
    add(prefix + "loneFence/10MB", joined({"```", std::string(10 * megabyte, 'a'), "\n- a"}));
    add(prefix + "httpLine/10MB",
        joined({"https://example.com/", std::string(10 * megabyte, 'a')}));
}

[[maybe_unused]] const bool registered = [] {
    addRealistic();
    addAdversarial();
    return true;
}();

}  // namespace
}  // namespace nimbrook
