#include "BenchInputs.h"

#include <array>
#include <utility>

#include "detection/ContentDetector.h"
#include "model/Uuid.h"

namespace nimbrook {
namespace {

// SplitMix64: tiny, fast and fully specified, so every library yields the same stream.
class SeededRandom final {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t value = (state_ += 0x9E3779B97F4A7C15ULL);
        value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
        value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
        return value ^ (value >> 31);
    }
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }

    template <typename Container>
    const auto& pick(const Container& choices) {
        return choices[below(std::size(choices))];
    }

private:
    std::uint64_t state_;
};

constexpr std::array<std::string_view, 24> latinWords{
    "the",     "clipboard", "history", "keeps", "every", "text",    "you",     "copy",
    "quickly", "search",    "panel",   "entry", "naïve", "Straße",  "résumé",  "meeting",
    "notes",   "release",   "version", "build", "error", "request", "pattern", "value",
};
constexpr std::array<std::string_view, 20> chineseWords{
    "剪贴板", "历史", "记录", "复制", "粘贴", "搜索", "面板", "条目", "文本", "图片",
    "设置",   "转换", "格式", "链接", "代码", "今天", "会议", "项目", "版本", "用户",
};
constexpr std::array<std::string_view, 8> codeLines{
    "    for (std::size_t i = 0; i < items.size(); ++i) {",
    "        total += items[i].weight * factor;",
    "    }",
    "def handle(event):",
    "    return {\"id\": event.id, \"ok\": True}",
    "const answer = await fetch(`/api/v1/items?page=${page}`);",
    "import os",
    "    if (value == nullptr) { return false; }",
};
constexpr std::array<std::string_view, 6> hosts{
    "example.com",          "docs.example.org", "中文.example.cn",
    "api.example.net:8443", "git.example.io",   "localhost:3000",
};

std::string sentence(SeededRandom& random, bool chinese) {
    std::string text;
    const std::size_t words = 4 + random.below(12);
    for (std::size_t index = 0; index < words; ++index) {
        if (chinese) {
            text += random.pick(chineseWords);
        } else {
            if (index > 0) {
                text += ' ';
            }
            text += random.pick(latinWords);
        }
    }
    text += chinese ? "。" : ".";
    return text;
}

std::string urlOf(SeededRandom& random) {
    return "https://" + std::string(random.pick(hosts)) + "/" +
           std::string(random.pick(latinWords)) + "/" + std::to_string(random.below(100000)) +
           "?q=" + std::string(random.pick(latinWords)) +
           "&page=" + std::to_string(random.below(50));
}

// One unit of a kind: the smallest piece that keeps the text well formed when repeated.
std::string unitOf(BenchInputs::Kind kind, SeededRandom& random, bool first) {
    using Kind = BenchInputs::Kind;
    switch (kind) {
        case Kind::latinProse:
            return sentence(random, false) + (random.below(4) == 0 ? "\n\n" : " ");
        case Kind::chineseProse:
            return sentence(random, true) + (random.below(4) == 0 ? "\n\n" : "");
        case Kind::sourceCode:
            return std::string(random.pick(codeLines)) + "\n";
        case Kind::json:
            return std::string(first ? "" : ",\n") +
                   "  {\"id\": " + std::to_string(random.below(1000000)) + ", \"title\": \"" +
                   sentence(random, random.below(2) == 0) + "\", \"url\": \"" + urlOf(random) +
                   "\", \"score\": " + std::to_string(random.below(10000)) +
                   ".5, \"tags\": [\"a\", \"b\"], \"done\": true, \"parent\": null}";
        case Kind::markdown:
            return "## " + sentence(random, false) + "\n\nSome **" +
                   std::string(random.pick(latinWords)) + "** and *" +
                   std::string(random.pick(chineseWords)) + "* with [a link](" + urlOf(random) +
                   ") and `code`.\n\n- " + sentence(random, true) + "\n- " +
                   sentence(random, false) + "\n\n```\n" + std::string(random.pick(codeLines)) +
                   "\n```\n\n";
        case Kind::url:
            return std::string(first ? "https://" : "&") +
                   (first ? std::string(random.pick(hosts)) + "/search?" : std::string()) + "k" +
                   std::to_string(random.below(1000)) + "=" + std::string(random.pick(latinWords));
        case Kind::html:
            return "<h2>" + sentence(random, false) + "</h2>\n<p>" + sentence(random, true) +
                   " <b>" + std::string(random.pick(latinWords)) + "</b> <a href=\"" +
                   urlOf(random) + "\">" + std::string(random.pick(chineseWords)) +
                   "</a> &amp; <em>x</em><br/></p>\n<ul><li>" + sentence(random, false) +
                   "</li><li><code>f()</code></li></ul>\n";
    }
    return {};
}

constexpr std::array<std::string_view, 6> sourceApps{
    "Firefox ESR", "终端", "Visual Studio Code", "微信", "Files", "Thunderbird",
};

}  // namespace

std::string BenchInputs::text(Kind kind, std::size_t bytes, std::uint64_t seed) {
    SeededRandom random(seed);
    std::string text = kind == Kind::json ? "[\n" : "";
    text.reserve(bytes + 1024);
    bool first = true;
    while (text.size() < bytes) {
        text += unitOf(kind, random, first);
        first = false;
    }
    if (kind == Kind::json) {
        text += "\n]";
    }
    return text;
}

std::string BenchInputs::mixed(std::size_t bytes, std::uint64_t seed) {
    SeededRandom random(seed);
    std::string text;
    text.reserve(bytes + 4 * kilobyte);
    while (text.size() < bytes) {
        const std::size_t blockBytes = 200 + random.below(1800);
        text += BenchInputs::text(random.pick(BenchInputs::allKinds()), blockBytes, random.next());
        text += "\n\n";
    }
    return text;
}

std::string BenchInputs::sizeName(std::size_t bytes) {
    if (bytes >= megabyte && bytes % megabyte == 0) {
        return std::to_string(bytes / megabyte) + "MB";
    }
    if (bytes >= kilobyte && bytes % kilobyte == 0) {
        return std::to_string(bytes / kilobyte) + "KB";
    }
    return std::to_string(bytes) + "B";
}

std::string_view BenchInputs::kindName(Kind kind) {
    switch (kind) {
        case Kind::latinProse:
            return "latinProse";
        case Kind::chineseProse:
            return "chineseProse";
        case Kind::sourceCode:
            return "sourceCode";
        case Kind::json:
            return "json";
        case Kind::markdown:
            return "markdown";
        case Kind::url:
            return "url";
        case Kind::html:
            return "html";
    }
    return {};
}

const std::vector<BenchInputs::Kind>& BenchInputs::allKinds() {
    static const std::vector<Kind> kinds{
        Kind::latinProse, Kind::chineseProse, Kind::sourceCode, Kind::json,
        Kind::markdown,   Kind::url,          Kind::html,
    };
    return kinds;
}

std::string BenchInputs::repeated(std::string_view piece, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes) {
        text += piece;
    }
    return text;
}

std::vector<ClipboardItem> BenchInputs::history(std::size_t count, std::size_t bytes,
                                                std::uint64_t seed) {
    SeededRandom random(seed);
    std::vector<ClipboardItem> items;
    items.reserve(count);
    // Seeds differ, and every unit holds random numbers or words: contents are distinct.
    for (std::size_t index = 0; index < count; ++index) {
        std::string content = text(random.pick(BenchInputs::allKinds()), bytes, random.next());
        const ContentType type = ContentDetector::detect(content);
        std::optional<std::string> source;
        if (random.below(5) != 0) {
            source = std::string(random.pick(sourceApps));
        }
        items.emplace_back(Uuid::random(), std::move(content), type,
                           Timestamp{786000000.25 - static_cast<double>(index) * 60},
                           std::move(source));
    }
    return items;
}

}  // namespace nimbrook
