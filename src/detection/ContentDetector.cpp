#include "detection/ContentDetector.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/CharacterSet.h"
#include "platform/JsonText.h"
#include "platform/PathText.h"
#include "platform/Pattern.h"
#include "platform/UnicodeText.h"
#include "platform/UrlReference.h"
#include "platform/Utf8.h"

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

// A literal that a pattern needs, and the least distance from its start to the start of
// the next literal the pattern needs.
struct Literal {
    std::string_view text;
    std::size_t gapToNext = 0;
};

// Whether the literals occur in this order with at least the given gaps. Taking the
// earliest occurrence of each never misses a chain that exists, so this is exact.
bool containsInOrder(std::string_view text, std::initializer_list<Literal> literals) {
    std::size_t from = 0;
    for (const Literal& literal : literals) {
        const std::size_t found = text.find(literal.text, from);
        if (found == std::string_view::npos) {
            return false;
        }
        from = found + literal.gapToNext;
    }
    return true;
}

constexpr std::size_t impossible = std::string_view::npos;

std::size_t startIf(bool possible) {
    return possible ? 0 : impossible;
}

// Which ASCII characters belong to each set, read once from the sets so that scans look up
// only non-ASCII characters there.
const std::array<bool, 0x80>& asciiMembers(CharacterSet set) {
    static const auto tables = [] {
        std::array<std::array<bool, 0x80>, 3> members{};
        for (const CharacterSet each : {CharacterSet::whitespaceAndNewlines,
                                        CharacterSet::whitespace, CharacterSet::newlines}) {
            for (char32_t c = 0; c < 0x80; ++c) {
                members[static_cast<std::size_t>(each)][c] = CharacterSets::contains(each, c);
            }
        }
        return members;
    }();
    return tables[static_cast<std::size_t>(set)];
}

bool isMember(CharacterSet set, int32_t codePoint) {
    if (codePoint < 0) {
        return false;
    }
    if (codePoint < 0x80) {
        return asciiMembers(set)[static_cast<std::size_t>(codePoint)];
    }
    return CharacterSets::contains(set, static_cast<char32_t>(codePoint));
}

bool isAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

utf8::Decoded characterAt(std::string_view text, std::size_t position) {
    if (isAscii(text[position])) {
        return {static_cast<unsigned char>(text[position]), 1};
    }
    return utf8::decodeAt(text, position);
}

utf8::Decoded characterBefore(std::string_view text, std::size_t end) {
    if (isAscii(text[end - 1])) {
        return {static_cast<unsigned char>(text[end - 1]), 1};
    }
    return utf8::decodeBefore(text, 0, end);
}

// The first line break at or after `from`: its position and length in bytes, or the end
// of the text and 0. The newline set is exactly what the pattern engine takes for a line
// break ("." stops there, "^" in multi-line mode starts after it).
struct LineBreak {
    std::size_t position = 0;
    std::size_t length = 0;
};

LineBreak nextLineBreak(std::string_view text, std::size_t from) {
    for (std::size_t index = from; index < text.size();) {
        const utf8::Decoded next = characterAt(text, index);
        if (isMember(CharacterSet::newlines, next.codePoint)) {
            return {index, next.length};
        }
        index += next.length;
    }
    return {text.size(), 0};
}

bool containsLineBreak(std::string_view text) {
    return nextLineBreak(text, 0).length > 0;
}

// "." stops at line breaks, so a link lies within one line. No match can begin on the
// lines before the first that holds the literals in order; starting the search there
// spares the engine a long line of unmatched "[" before it.
std::size_t firstPossibleLink(std::string_view text) {
    std::size_t start = 0;
    while (true) {
        const LineBreak lineBreak = nextLineBreak(text, start);
        const std::string_view line = text.substr(start, lineBreak.position - start);
        if (containsInOrder(line, {{"[", 2}, {"](", 3}, {")"}})) {
            return start;
        }
        if (lineBreak.length == 0) {
            return impossible;
        }
        start = lineBreak.position + lineBreak.length;
    }
}

// "^    \S" in multi-line mode: the first line that opens with four spaces and then a
// character that is not white space, where the search then matches at once.
std::size_t firstIndentedLine(std::string_view text) {
    if (!contains(text, "    ")) {
        return impossible;
    }
    std::size_t start = 0;
    while (true) {
        const std::string_view rest = text.substr(start);
        if (rest.size() > 4 && rest.starts_with("    ") &&
            !isMember(CharacterSet::whitespaceAndNewlines, characterAt(rest, 4).codePoint)) {
            return start;
        }
        const LineBreak lineBreak = nextLineBreak(text, start);
        if (lineBreak.length == 0) {
            return impossible;
        }
        start = lineBreak.position + lineBreak.length;
    }
}

// The first of the characters; a match of a pattern that opens with one of them cannot
// begin before it.
std::size_t firstOfAny(std::string_view text, std::string_view characters) {
    std::size_t first = impossible;
    for (const char c : characters) {
        first = std::min(first, text.substr(0, first).find(c));
    }
    return first;
}

// The start of the line of `position` when only white space stands between the two (the
// "^\s*" of a keyword pattern), else `impossible`. The white-space-and-newline set is
// exactly the engine's "\s".
std::size_t blankLineStartBefore(std::string_view text, std::size_t position) {
    while (position > 0) {
        const utf8::Decoded previous = characterBefore(text, position);
        if (isMember(CharacterSet::newlines, previous.codePoint)) {
            return position;
        }
        if (!isMember(CharacterSet::whitespaceAndNewlines, previous.codePoint)) {
            return impossible;
        }
        position -= previous.length;
    }
    return 0;
}

// A keyword pattern ("^\s*(keyword)\s+" in multi-line mode) matches exactly when some
// keyword has only white space before it on its line and a white-space character after it,
// and it then matches from the start of that line. Searching from the line of the first
// such keyword finds it at once, where searching from the text start would let "^\s*"
// backtrack over a run of blank lines from every line start in it.
std::size_t firstPossibleKeywordLine(std::string_view text,
                                     std::initializer_list<std::string_view> keywords) {
    std::size_t first = impossible;
    std::size_t firstLineStart = impossible;
    for (const std::string_view keyword : keywords) {
        for (std::size_t at = text.find(keyword); at < first; at = text.find(keyword, at + 1)) {
            const std::size_t after = at + keyword.size();
            if (after >= text.size() || !isMember(CharacterSet::whitespaceAndNewlines,
                                                  characterAt(text, after).codePoint)) {
                continue;
            }
            const std::size_t lineStart = blankLineStartBefore(text, at);
            if (lineStart != impossible) {
                first = at;
                firstLineStart = lineStart;
            }
        }
    }
    return firstLineStart;
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
             return containsInOrder(t, {{"```", 3}, {"```"}}) ? t.find("```") : impossible;
         }},
        // A line opening in bold: two stars, at least one character, two stars.
        {Pattern(R"((?m)^\*\*.+?\*\*)"),
         [](std::string_view t) {
             return startIf(containsInOrder(t, {{"**", 3}, {"**"}}));
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
        {Pattern(R"(\[.+?\]\(.+?\))"), firstPossibleLink},
    }};
    return rules;
}

const std::array<Rule, 5>& codeRules() {
    static const std::array<Rule, 5> rules{{
        {Pattern(R"([{};])"), [](std::string_view t) { return firstOfAny(t, "{};"); }},
        {Pattern(R"((?m)^    \S)"), firstIndentedLine},
        // Three families of declaration keywords opening a line; they overlap.
        {Pattern(R"((?m)^\s*(func|let|var|import|class|struct|enum|protocol|guard|defer)\s+)"),
         [](std::string_view t) {
             return firstPossibleKeywordLine(t, {"func", "let", "var", "import", "class", "struct",
                                                 "enum", "protocol", "guard", "defer"});
         }},
        {Pattern(R"((?m)^\s*(def|from|import|class|if __name__)\s+)"),
         [](std::string_view t) {
             return firstPossibleKeywordLine(t, {"def", "from", "import", "class", "if __name__"});
         }},
        {Pattern(R"((?m)^\s*(const|let|var|function|class|import|export|interface|type)\s+)"),
         [](std::string_view t) {
             return firstPossibleKeywordLine(t, {"const", "let", "var", "function", "class",
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
    return (isObject || isArray) && JsonText::parse(text).has_value();
}

// One line (splitting the trimmed text at line breaks leaves exactly one non-empty piece
// only when it has no line break at all), accepted as a URL reference, with the scheme
// written exactly "http" or "https". The scheme leads the text, so other texts are
// rejected before the scan for line breaks.
bool isUrl(std::string_view text) {
    if (!text.starts_with("http:") && !text.starts_with("https:")) {
        return false;
    }
    if (containsLineBreak(text)) {
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
