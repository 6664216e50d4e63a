#include "detection/ContentDetector.h"

#include <algorithm>
#include <array>
#include <cstddef>
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

bool isAsciiLineBreak(char c) {
    return c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// "." stops at every line break, so a link lies within one line and hence within one
// piece between ASCII line breaks (a coarser split, as U+0085, U+2028 and U+2029 are left
// in). No match can begin in the pieces before the first that holds the literals in order;
// starting the search there spares the engine a long line of unmatched "[" before it.
std::size_t firstPossibleLink(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const auto breakAt = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(start),
                                          text.end(), isAsciiLineBreak);
        const auto end = static_cast<std::size_t>(breakAt - text.begin());
        if (containsInOrder(text.substr(start, end - start), {{"[", 2}, {"](", 3}, {")"}})) {
            return start;
        }
        start = end + 1;
    }
    return impossible;
}

// Bytes that may belong to a blank or a line break as the engine sees them: the ASCII
// ones are control characters and the space, every other one is non-ASCII.
bool mayBeBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte >= 0x80;
}

// Whether only blanks may stand between the last line start and `position`. Walking back
// over spaces and tabs must end at the text start or at a byte that may be a blank or end
// a line break; a printable ASCII character there rules it out.
bool mayOpenLine(std::string_view text, std::size_t position) {
    while (position > 0 && (text[position - 1] == ' ' || text[position - 1] == '\t')) {
        --position;
    }
    return position == 0 || mayBeBlank(text[position - 1]);
}

// The position after the last ASCII line break before `position`: always a line start.
std::size_t asciiLineStart(std::string_view text, std::size_t position) {
    const auto before =
        std::make_reverse_iterator(text.begin() + static_cast<std::ptrdiff_t>(position));
    const auto lineBreak = std::find_if(before, text.rend(), isAsciiLineBreak);
    return static_cast<std::size_t>(lineBreak.base() - text.begin());
}

// A keyword pattern ("^\s*(keyword)\s+" in multi-line mode) matches from the start of
// the line of its keyword whenever it matches at all, and its keyword may open a line and
// is followed by a blank. The first keyword that may do so bounds where a match can begin,
// so the search skips whatever comes before its line, where a run of blank lines would
// make "^\s*" backtrack over the whole run from every line start in it.
std::size_t firstPossibleKeywordLine(std::string_view text,
                                     std::initializer_list<std::string_view> keywords) {
    std::size_t first = impossible;
    for (const std::string_view keyword : keywords) {
        for (std::size_t at = text.find(keyword); at < first; at = text.find(keyword, at + 1)) {
            const std::size_t after = at + keyword.size();
            if (after < text.size() && mayBeBlank(text[after]) && mayOpenLine(text, at)) {
                first = at;
            }
        }
    }
    return first == impossible ? impossible : asciiLineStart(text, first);
}

// A pattern with a cheap, exact bound on where in a text a match can begin: `impossible`
// when the text lacks a literal the pattern needs. The search starts there, which never
// changes the outcome but keeps huge texts away from the regular-expression engine.
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
             return startIf(containsInOrder(t, {{"```", 3}, {"```"}}));
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
        // A link or image reference. Last: a long line of "[" makes it backtrack.
        {Pattern(R"(\[.+?\]\(.+?\))"), firstPossibleLink},
    }};
    return rules;
}

const std::array<Rule, 5>& codeRules() {
    static const std::array<Rule, 5> rules{{
        {Pattern(R"([{};])"),
         [](std::string_view t) {
             return startIf(containsAny(t, {"{", "}", ";"}));
         }},
        {Pattern(R"((?m)^    \S)"),
         [](std::string_view t) { return startIf(contains(t, "    ")); }},
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

// Which ASCII characters are line breaks, read once from the newline set so that the
// scan of a long line decodes and looks up only its non-ASCII characters.
const std::array<bool, 0x80>& asciiLineBreaks() {
    static const std::array<bool, 0x80> table = [] {
        std::array<bool, 0x80> breaks{};
        for (char32_t c = 0; c < breaks.size(); ++c) {
            breaks[c] = CharacterSets::contains(CharacterSet::newlines, c);
        }
        return breaks;
    }();
    return table;
}

bool containsLineBreak(std::string_view text) {
    const std::array<bool, 0x80>& ascii = asciiLineBreaks();
    for (std::size_t index = 0; index < text.size();) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if (byte < 0x80) {
            if (ascii[byte]) {
                return true;
            }
            ++index;
            continue;
        }
        const utf8::Decoded next = utf8::decodeAt(text, index);
        if (next.codePoint >= 0 && CharacterSets::contains(CharacterSet::newlines,
                                                           static_cast<char32_t>(next.codePoint))) {
            return true;
        }
        index += next.length;
    }
    return false;
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
