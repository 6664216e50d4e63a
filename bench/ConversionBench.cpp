#include <cstddef>
#include <random>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include "conversion/SmartConverter.h"

namespace nimbrook {
namespace {

using Conversion = SmartConverter::Conversion;

constexpr std::size_t smallSize = 10 * 1024;
constexpr std::size_t largeSize = 1024 * 1024;

class TextMaker final {
public:
    explicit TextMaker(unsigned seed) : random_(seed) {}

    std::string word() {
        static constexpr std::string_view words[] = {
            "clipboard", "history", "panel", "数据", "剪贴板", "entry",   "copy",
            "search",    "value",   "tray",  "设置", "image",  "convert", "text",
        };
        return std::string(words[pick(std::size(words))]);
    }

    std::string sentence() {
        std::string text = word();
        for (std::size_t count = pick(8) + 3; count > 0; --count) {
            text += ' ' + word();
        }
        return text;
    }

    std::size_t pick(std::size_t bound) { return random_() % bound; }

private:
    std::mt19937 random_;
};

std::string html(std::size_t size) {
    TextMaker maker(1);
    std::string text;
    while (text.size() < size) {
        text += "<h2 id=\"s" + std::to_string(maker.pick(1000)) + "\">" + maker.sentence() +
                "</h2>\n<p>" + maker.sentence() + " <b>" + maker.word() + "</b> and <a href=\"" +
                "https://example.com/" + maker.word() + "\">" + maker.word() + "</a> &amp; " +
                "<em>" + maker.word() + "</em>.<br/>" + maker.sentence() + "</p>\n<ul><li>" +
                maker.sentence() + "</li><li><code>" + maker.word() + "()</code></li></ul>\n";
    }
    return text;
}

std::string json(std::size_t size) {
    TextMaker maker(2);
    std::string text = "[";
    while (text.size() < size) {
        text += "{\"id\": " + std::to_string(maker.pick(1'000'000)) + ", \"name\": \"" +
                maker.sentence() + "\", \"url\": \"https://example.com/" + maker.word() +
                "\", \"score\": " + std::to_string(maker.pick(10'000)) + ".25, \"tags\": [\"" +
                maker.word() + "\", \"" + maker.word() + "\"], \"ok\": true, \"n\": null},\n";
    }
    text += "{}]";
    return text;
}

std::string markdown(std::size_t size) {
    TextMaker maker(3);
    std::string text = "# " + maker.sentence() + "\n\n";
    while (text.size() < size) {
        text += "Some **" + maker.word() + "** and *" + maker.word() + "* with [" + maker.word() +
                "](https://example.com/" + maker.word() + ") and `" + maker.word() + "`.\n  " +
                maker.sentence() + "  \n\n- " + maker.sentence() + "\n- " + maker.sentence() +
                "\n\n```cpp\nint " + maker.word() + " = 1;\n```\n\n\n\n";
    }
    return text;
}

std::string url(std::size_t size) {
    TextMaker maker(4);
    std::string text = "  https://user@docs.example.com:8443/path/to/page?";
    while (text.size() < size) {
        text += "key" + std::to_string(maker.pick(1000)) + "=value" +
                std::to_string(maker.pick(1000)) + "&";
    }
    return text + "end=1#top\n";
}

void convertText(benchmark::State& state, Conversion conversion, std::string (*make)(std::size_t)) {
    const std::string text = make(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(SmartConverter::convert(text, conversion));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

std::string repeated(std::string_view piece, std::size_t size) {
    std::string text;
    while (text.size() < size) {
        text += piece;
    }
    return text;
}

// Unclosed openers make the lazy patterns rescan the rest of the line from every opener;
// the time limit of each step is what bounds these.
std::string unclosedAnchors(std::size_t size) {
    return repeated("<a ", size);
}
std::string unclosedBrackets(std::size_t size) {
    return repeated("[", size);
}
std::string asterisks(std::size_t size) {
    return repeated("*", size);
}
// Every closing tag is present, but only on the last line, where no opener can reach it:
// eight lazy steps each rescan the line from every opener until their time runs out.
std::string unreachableClosingTags(std::size_t size) {
    return repeated("<h1><h2><h3><h4><b><i><code><li>", size) +
           "\n</h1></h2></h3></h4></b></i></code></li>";
}
std::string unclosedMarkdown(std::size_t size) {
    return repeated("** [x]( ```", size);
}

BENCHMARK_CAPTURE(convertText, prettifyJSON, Conversion::prettifyJSON, json)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, minifyJSON, Conversion::minifyJSON, json)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, wrapCode, Conversion::wrapCode, markdown)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, htmlToMarkdown, Conversion::htmlToMarkdown, html)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, urlToMarkdown, Conversion::urlToMarkdown, url)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, stripFormatMarkdown, Conversion::stripFormat, markdown)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, stripFormatJSON, Conversion::stripFormat, json)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(convertText, worstHtmlUnclosedAnchors, Conversion::htmlToMarkdown,
                  unclosedAnchors)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, worstStripUnclosedBrackets, Conversion::stripFormat,
                  unclosedBrackets)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, worstHtmlUnreachableClosingTags, Conversion::htmlToMarkdown,
                  unreachableClosingTags)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, worstStripUnclosedMarkdown, Conversion::stripFormat,
                  unclosedMarkdown)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(convertText, worstStripAsterisks, Conversion::stripFormat, asterisks)
    ->Arg(smallSize)
    ->Arg(largeSize)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nimbrook
