#include "conversion/SmartConverter.h"

#include <algorithm>
#include <string>
#include <vector>

#include "conversion/MarkupMatchers.h"
#include "conversion/SubstitutionChain.h"
#include "platform/CharacterSet.h"
#include "platform/JsonGrammar.h"
#include "platform/JsonText.h"
#include "platform/UnicodeText.h"
#include "platform/UrlReference.h"

namespace nimbrook {

namespace {

using Conversion = SmartConverter::Conversion;
using Kind = SubstitutionChain::Step::Kind;

struct Names {
    Conversion conversion;
    std::string_view raw;
    std::string_view title;
};

constexpr std::array<Names, 6> names{{
    {Conversion::prettifyJSON, "prettifyJSON", "格式化 JSON"},
    {Conversion::minifyJSON, "minifyJSON", "压缩 JSON"},
    {Conversion::wrapCode, "wrapCode", "包裹代码块"},
    {Conversion::htmlToMarkdown, "htmlToMarkdown", "HTML → Markdown"},
    {Conversion::urlToMarkdown, "urlToMarkdown", "URL → Markdown 链接"},
    {Conversion::stripFormat, "stripFormat", "纯文本"},
}};

const Names& namesOf(Conversion conversion) {
    return *std::find_if(names.begin(), names.end(), [conversion](const Names& entry) {
        return entry.conversion == conversion;
    });
}

// The fence must be longer than any backtick run inside the text, or a fence already in
// the text (a copied README snippet) would close the block early and spill the rest out.
std::string codeFence(std::string_view text) {
    std::size_t longest = 0;
    std::size_t run = 0;
    for (const char c : text) {
        run = c == '`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return std::string(longest < 3 ? 3 : longest + 1, '`');
}

std::string wrappedInCodeFence(const std::string& text) {
    const std::string fence = codeFence(text);
    return fence + "\n" + text + "\n" + fence;
}

// Every line trimmed of blanks and joined by line feeds.
std::string linesTrimmed(const std::string& text) {
    const std::vector<std::string> lines = CharacterSets::split(text, CharacterSet::newlines);
    std::string joined;
    joined.reserve(text.size());
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (index > 0) {
            joined += '\n';
        }
        joined += CharacterSets::trimmed(lines[index], CharacterSet::whitespace);
    }
    return joined;
}

}  // namespace

std::string_view SmartConverter::rawValue(Conversion conversion) {
    return namesOf(conversion).raw;
}

std::optional<SmartConverter::Conversion> SmartConverter::fromRawValue(std::string_view raw) {
    const auto found = std::find_if(names.begin(), names.end(),
                                    [raw](const Names& entry) { return entry.raw == raw; });
    if (found == names.end()) {
        return std::nullopt;
    }
    return found->conversion;
}

std::string_view SmartConverter::title(Conversion conversion) {
    return namesOf(conversion).title;
}

std::vector<Conversion> SmartConverter::offeredFor(ContentType type) {
    switch (type) {
        case ContentType::json:
            return {Conversion::prettifyJSON, Conversion::minifyJSON, Conversion::stripFormat};
        case ContentType::code:
        case ContentType::plainText:
            return {Conversion::wrapCode, Conversion::htmlToMarkdown, Conversion::stripFormat};
        case ContentType::url:
            return {Conversion::urlToMarkdown, Conversion::stripFormat};
        case ContentType::markdown:
            return {Conversion::stripFormat};
        case ContentType::image:
            return {};
    }
    return {};
}

std::string SmartConverter::convert(const std::string& text, Conversion conversion) {
    if (!UnicodeText::isValidUtf8(text)) {
        return convert(UnicodeText::repairedUtf8(text), conversion);
    }
    switch (conversion) {
        case Conversion::prettifyJSON:
            return prettifyJSON(text);
        case Conversion::minifyJSON:
            return minifyJSON(text);
        case Conversion::wrapCode:
            return wrappedInCodeFence(text);
        case Conversion::htmlToMarkdown:
            return htmlToMarkdown(text);
        case Conversion::urlToMarkdown:
            return urlToMarkdownLink(text);
        case Conversion::stripFormat:
            return stripFormat(text);
    }
    return text;
}

std::string SmartConverter::prettifyJSON(const std::string& text) {
    const std::optional<JsonDocument> document = JsonText::parse(text);
    return document ? JsonText::pretty(*document) : text;
}

std::string SmartConverter::minifyJSON(const std::string& text) {
    const std::optional<JsonDocument> document = JsonText::parse(text);
    return document ? JsonText::compact(*document) : text;
}

const SubstitutionChain& SmartConverter::htmlToMarkdownSteps() {
    using M = MarkupMatchers;
    static const SubstitutionChain chain{
        {Kind::pattern, "<h1[^>]*>(.*?)</h1>", "# $1\n\n", M::element("<h1", "</h1>")},
        {Kind::pattern, "<h2[^>]*>(.*?)</h2>", "## $1\n\n", M::element("<h2", "</h2>")},
        {Kind::pattern, "<h3[^>]*>(.*?)</h3>", "### $1\n\n", M::element("<h3", "</h3>")},
        {Kind::pattern, "<h4[^>]*>(.*?)</h4>", "#### $1\n\n", M::element("<h4", "</h4>")},
        {Kind::pattern, R"(<(strong|b)>(.*?)</\1>)", "**$2**",
         M::bareElement({"strong", "b"}, true)},
        {Kind::pattern, R"(<(em|i)>(.*?)</\1>)", "*$2*", M::bareElement({"em", "i"}, true)},
        {Kind::pattern, R"re(<a[^>]*href="([^"]*)"[^>]*>(.*?)</a>)re", "[$2]($1)", M::anchor()},
        {Kind::pattern, "<code>(.*?)</code>", "`$1`", M::bareElement({"code"}, false)},
        {Kind::pattern, R"(<br\s*/?>)", "\n", M::lineBreakTag()},
        {Kind::pattern, R"(</p>\s*<p[^>]*>)", "\n\n", M::paragraphBoundary()},
        {Kind::pattern, "</?p[^>]*>", "", M::paragraphTag()},
        {Kind::pattern, "<li[^>]*>(.*?)</li>", "- $1\n", M::element("<li", "</li>")},
        {Kind::pattern, "<[^>]+>", "", M::anyTag()},
        {Kind::literal, "&amp;", "&", M::literal("&amp;")},
        {Kind::literal, "&lt;", "<", M::literal("&lt;")},
        {Kind::literal, "&gt;", ">", M::literal("&gt;")},
        {Kind::literal, "&quot;", "\"", M::literal("&quot;")},
        {Kind::literal, "&nbsp;", " ", M::literal("&nbsp;")},
        {Kind::pattern, R"(\n{3,})", "\n\n", M::lineFeedRun()},
    };
    return chain;
}

// A CR LF pair is one line break: the line split of stripFormat cuts at each of its characters
// and would double-space every text copied from a program that writes CR LF, and the fence and
// collapse steps only know the line feed. No "(?m)" in the heading step: only a marker at the
// very start of the text goes.
const SubstitutionChain& SmartConverter::stripFormatSteps() {
    using M = MarkupMatchers;
    static const SubstitutionChain chain{
        {Kind::literal, "\r\n", "\n", M::literal("\r\n")},
        {Kind::pattern, R"(^#{1,6}\s+)", "", M::leadingHeadingMarker()},
        {Kind::pattern, R"(\*\*(.+?)\*\*)", "$1", M::enclosed("**")},
        {Kind::pattern, R"(\*(.+?)\*)", "$1", M::enclosed("*")},
        {Kind::pattern, R"(\[(.+?)\]\(.+?\))", "$1", M::link()},
        {Kind::pattern, R"(```\w*\n?([\s\S]*?)```)", "$1", M::fence()},
        {Kind::pattern, "`(.+?)`", "$1", M::enclosed("`")},
        {Kind::pattern, R"(\n{3,})", "\n\n", M::lineFeedRun()},
    };
    return chain;
}

std::string SmartConverter::htmlToMarkdown(const std::string& text) {
    return CharacterSets::trimmed(htmlToMarkdownSteps().applied(text),
                                  CharacterSet::whitespaceAndNewlines);
}

std::string SmartConverter::urlToMarkdownLink(const std::string& text) {
    const std::string trimmed = CharacterSets::trimmed(text, CharacterSet::whitespaceAndNewlines);
    if (trimmed.empty()) {
        return trimmed;
    }
    const std::optional<UrlReference> url = UrlReference::parse(trimmed);
    if (!url) {
        return trimmed;
    }
    // An empty host ("file:///tmp/a") would give an empty, unclickable label.
    const std::string label = url->host && !url->host->empty() ? *url->host : "link";
    return "[" + label + "](" + trimmed + ")";
}

std::string SmartConverter::stripFormat(const std::string& text) {
    // Any JSON document gets exactly its minified form, even one the parser refuses (a lone
    // surrogate escape, too deep; then unchanged): the Markdown steps would remove markers
    // inside its strings.
    if (JsonGrammar::isDocument(text)) {
        return minifyJSON(text);
    }
    return CharacterSets::trimmed(linesTrimmed(stripFormatSteps().applied(text)),
                                  CharacterSet::whitespaceAndNewlines);
}

}  // namespace nimbrook
