#include "detection/ContentDetector.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "detection/MatchBounds.h"
#include "platform/CharacterSet.h"
#include "platform/JsonText.h"
#include "platform/PathText.h"
#include "platform/Pattern.h"
#include "platform/UnicodeText.h"
#include "platform/UrlReference.h"

namespace nimbrook {

namespace {

constexpr std::array<std::string_view, 10> imageExtensions{
    "png", "jpg", "jpeg", "gif", "bmp", "tiff", "webp", "heic", "heif", "svg",
};

// The full lower-case mapping never maps a character to nothing, so an extension whose
// lower-case form is a member has at most four characters of at most four bytes each.
// Longer extensions are rejected before the (costly) lower-casing of a huge text.
constexpr std::size_t longestImageExtensionBytes = 4 * 4;

bool contains(std::string_view text, std::string_view literal) {
    return text.find(literal) != std::string_view::npos;
}

bool containsAny(std::string_view text, std::initializer_list<std::string_view> literals) {
    return std::any_of(literals.begin(), literals.end(),
                       [text](std::string_view literal) { return contains(text, literal); });
}

constexpr std::size_t impossible = MatchBounds::impossible;

std::size_t startIf(bool possible) {
    return possible ? 0 : impossible;
}

// A pattern with a cheap, exact bound on where in a text a match can begin (`impossible`
// when none can). Searching from there never changes the outcome, and texts without the
// pattern's literals never reach the regular-expression engine.
struct Rule {
    Pattern pattern;
    std::size_t (*searchStart)(std::string_view text) = nullptr;
};

// Only the number of matching rules counts, so the tables list the cheapest and most
// selective rules first.
template <std::size_t count>
bool atLeastMatch(const std::array<Rule, count>& rules, std::string_view text, std::size_t needed) {
    std::size_t matched = 0;
    for (std::size_t index = 0; index < count; ++index) {
        // Stop as soon as the remaining rules cannot make up the number any more.
        if (matched + (count - index) < needed) {
            return false;
        }
        const Rule& rule = rules[index];
        const std::size_t start = rule.searchStart(text);
        if (start != impossible && rule.pattern.findIn(text.substr(start)) && ++matched == needed) {
            return true;
        }
    }
    return false;
}

const std::array<Rule, 7>& markdownRules() {
    static const std::array<Rule, 7> rules{{
        // A heading on the first line only: this pattern has no multi-line flag.
        {Pattern(R"(^#{1,6}\s+.+)"),
         [](std::string_view t) { return startIf(t.starts_with('#')); }},
        // A fenced block.
        {Pattern(R"(```[\s\S]*?```)"),
         [](std::string_view t) {
             return MatchBounds::containsInOrder(t, {{"```", 3}, {"```"}}) ? t.find("```")
                                                                           : impossible;
         }},
        // A line opening in bold: two stars, at least one character, two stars.
        {Pattern(R"((?m)^\*\*.+?\*\*)"),
         [](std::string_view t) {
             return startIf(MatchBounds::containsInOrder(t, {{"**", 3}, {"**"}}));
         }},
        // A bullet item.
        {Pattern(R"((?m)^[\*\-\+]\s+.+)"),
         [](std::string_view t) {
             return startIf(containsAny(t, {"*", "-", "+"}));
         }},
        // A numbered item.
        {Pattern(R"((?m)^\d+\.\s+.+)"),
         [](std::string_view t) { return startIf(contains(t, ".")); }},
        // A quotation.
        {Pattern(R"((?m)^>\s+.+)"), [](std::string_view t) { return startIf(contains(t, ">")); }},
        // A link or image reference. Last, as its check reads every line.
        {Pattern(R"(\[.+?\]\(.+?\))"), MatchBounds::firstLinkLine},
    }};
    return rules;
}

const std::array<Rule, 5>& codeRules() {
    static const std::array<Rule, 5> rules{{
        {Pattern(R"([{};])"), [](std::string_view t) { return MatchBounds::firstOfAny(t, "{};"); }},
        {Pattern(R"((?m)^    \S)"), MatchBounds::firstIndentedLine},
        // Three families of declaration keywords opening a line; they overlap.
        {Pattern(R"((?m)^\s*(func|let|var|import|class|struct|enum|protocol|guard|defer)\s+)"),
         [](std::string_view t) {
             return MatchBounds::firstKeywordLine(
                 t, {"func", "let", "var", "import", "class", "struct", "enum", "protocol", "guard",
                     "defer"});
         }},
        {Pattern(R"((?m)^\s*(def|from|import|class|if __name__)\s+)"),
         [](std::string_view t) {
             return MatchBounds::firstKeywordLine(
                 t, {"def", "from", "import", "class", "if __name__"});
         }},
        {Pattern(R"((?m)^\s*(const|let|var|function|class|import|export|interface|type)\s+)"),
         [](std::string_view t) {
             return MatchBounds::firstKeywordLine(t, {"const", "let", "var", "function", "class",
                                                      "import", "export", "interface", "type"});
         }},
    }};
    return rules;
}

bool isImagePath(std::string_view text) {
    const std::string extension = PathText::extension(text);
    if (extension.empty() || extension.size() > longestImageExtensionBytes) {
        return false;
    }
    const std::string lowered = UnicodeText::lowercased(extension);
    return std::find(imageExtensions.begin(), imageExtensions.end(), lowered) !=
           imageExtensions.end();
}

// Strict JSON never ends in JSON white space (which the trim removed), so a text that
// parses ends with the bracket that closes its opening one; checking that first keeps
// long bracket runs away from the parser.
bool isJson(std::string_view text) {
    const bool isObject = text.starts_with('{') && text.ends_with('}');
    const bool isArray = text.starts_with('[') && text.ends_with(']');
    return (isObject || isArray) && JsonText::isDocument(text);
}

// One line (splitting the trimmed text at line breaks leaves exactly one non-empty piece
// only when it has no line break at all), accepted as a URL reference, with the scheme
// written exactly "http" or "https". The scheme leads the text, so other texts are
// rejected before the scan for line breaks.
bool isUrl(std::string_view text) {
    if (!text.starts_with("http:") && !text.starts_with("https:")) {
        return false;
    }
    if (MatchBounds::containsLineBreak(text)) {
        return false;
    }
    const std::optional<UrlReference> reference = UrlReference::parse(text);
    return reference.has_value() && (reference->scheme == "http" || reference->scheme == "https");
}

bool isMarkdown(std::string_view text) {
    return atLeastMatch(markdownRules(), text, 2);
}

bool isCode(std::string_view text) {
    return atLeastMatch(codeRules(), text, 3);
}

ContentType classify(std::string_view text) {
    const std::string trimmed = CharacterSets::trimmed(text, CharacterSet::whitespaceAndNewlines);
    if (trimmed.empty()) {
        return ContentType::plainText;
    }
    if (isImagePath(trimmed)) {
        return ContentType::image;
    }
    if (isJson(trimmed)) {
        return ContentType::json;
    }
    if (isUrl(trimmed)) {
        return ContentType::url;
    }
    if (isMarkdown(trimmed)) {
        return ContentType::markdown;
    }
    if (isCode(trimmed)) {
        return ContentType::code;
    }
    return ContentType::plainText;
}

}  // namespace

ContentType ContentDetector::detect(const std::string& text) {
    // Texts from the pasteboard arrive repaired; anything else is classified as it
    // will be stored and shown, with invalid bytes replaced.
    if (!UnicodeText::isValidUtf8(text)) {
        return classify(UnicodeText::repairedUtf8(text));
    }
    return classify(text);
}

}  // namespace nimbrook
