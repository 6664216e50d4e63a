#include "detection/DetectionRules.h"

#include <cstddef>

#include "detection/MatchBounds.h"
#include "platform/PatternCharacters.h"
#include "platform/Utf8.h"

namespace nimbrook {

namespace {

constexpr std::size_t none = PatternCharacters::none;

utf8::Decoded characterAt(std::string_view text, std::size_t position) {
    const auto byte = static_cast<unsigned char>(text[position]);
    return byte < 0x80 ? utf8::Decoded{byte, 1} : utf8::decodeAt(text, position);
}

// Whether "\s+.+" matches at `at`. "\s+" takes the run of white space; if a character follows
// it, that character is no white space and so no line break, and ".+" takes it. If the run
// reaches the end, ".+" can only take a white-space character that is no line break, after
// the first one of the run.
bool spaceThenText(std::string_view text, std::size_t at) {
    if (at >= text.size()) {
        return false;
    }
    const utf8::Decoded first = characterAt(text, at);
    if (!PatternCharacters::isSpace(first.codePoint)) {
        return false;
    }
    if (PatternCharacters::spaceRunEnd(text, at) < text.size()) {
        return true;
    }
    for (std::size_t position = at + first.length; position < text.size();
         position += characterAt(text, position).length) {
        if (PatternCharacters::lineBreakAt(text, position) == 0) {
            return true;
        }
    }
    return false;
}

// Whether the check holds at some start of a line ("(?m)^": the start of the text and every
// position after a line break).
template <typename Check>
bool someLine(std::string_view text, Check check) {
    for (std::size_t start = 0;;) {
        if (start < text.size() && check(start)) {
            return true;
        }
        const std::size_t lineBreak = PatternCharacters::nextLineBreak(text, start);
        if (lineBreak == none) {
            return false;
        }
        start = lineBreak + PatternCharacters::lineBreakAt(text, lineBreak);
    }
}

// "^#{1,6}\s+.+" without "(?m)": at the start of the text only. Giving back a "#" would put
// a "#" where "\s" must stand.
bool opensWithHeading(std::string_view text) {
    const std::size_t hashes = std::min(text.find_first_not_of('#'), text.size());
    return hashes >= 1 && hashes <= 6 && spaceThenText(text, hashes);
}

// "(?m)^\*\*.+?\*\*": a line opening with "**" and holding another "**" after at least one
// more character. The first "**" after that character is the one to check: if a line break
// comes first, no later one is on the line either. One search answers every line up to it.
bool hasBoldLine(std::string_view text) {
    std::size_t searchedFrom = none;
    std::size_t closer = none;
    return text.find("**") != none && someLine(text, [&](std::size_t start) {
               if (!text.substr(start).starts_with("**")) {
                   return false;
               }
               if (searchedFrom == none || start + 3 < searchedFrom || start + 3 > closer) {
                   searchedFrom = start + 3;
                   closer = text.find("**", searchedFrom);
               }
               return closer != none && PatternCharacters::nextLineBreak(text, start + 2) > closer;
           });
}

// "(?m)^[\*\-\+]\s+.+", "(?m)^>\s+.+": a marker opening a line, then white space and text.
bool hasBulletLine(std::string_view text) {
    // Every match holds its marker; a text without one is answered by one quick scan.
    return text.find_first_of("*-+") != none && someLine(text, [text](std::size_t start) {
               const char c = text[start];
               return (c == '*' || c == '-' || c == '+') && spaceThenText(text, start + 1);
           });
}

bool hasQuoteLine(std::string_view text) {
    return text.find('>') != none && someLine(text, [text](std::size_t start) {
               return text[start] == '>' && spaceThenText(text, start + 1);
           });
}

// "(?m)^\d+\.\s+.+": "\d+" must take the whole run of digits, or "." would meet a digit.
bool hasNumberedLine(std::string_view text) {
    return text.find('.') != none && someLine(text, [text](std::size_t start) {
               std::size_t end = start;
               while (end < text.size()) {
                   const utf8::Decoded next = characterAt(text, end);
                   if (!PatternCharacters::isDigit(next.codePoint)) {
                       break;
                   }
                   end += next.length;
               }
               return end > start && end < text.size() && text[end] == '.' &&
                      spaceThenText(text, end + 1);
           });
}

}  // namespace

const std::array<DetectionRule, 7>& DetectionRules::markdown() {
    static const std::array<DetectionRule, 7> rules{{
        {R"(^#{1,6}\s+.+)", opensWithHeading},
        // The lazy run between the fences takes anything, so two fences apart suffice.
        {R"(```[\s\S]*?```)",
         [](std::string_view t) {
             return MatchBounds::containsInOrder(t, {{"```", 3}, {"```"}});
         }},
        {R"((?m)^\*\*.+?\*\*)", hasBoldLine},
        {R"((?m)^[\*\-\+]\s+.+)", hasBulletLine},
        {R"((?m)^\d+\.\s+.+)", hasNumberedLine},
        {R"((?m)^>\s+.+)", hasQuoteLine},
        // Last, as its check reads every line.
        {R"(\[.+?\]\(.+?\))",
         [](std::string_view t) {
             return MatchBounds::firstLinkLine(t) != MatchBounds::impossible;
         }},
    }};
    return rules;
}

const std::array<DetectionRule, 5>& DetectionRules::code() {
    static const std::array<DetectionRule, 5> rules{{
        {R"([{};])",
         [](std::string_view t) { return t.find_first_of("{};") != std::string_view::npos; }},
        {R"((?m)^    \S)",
         [](std::string_view t) {
             return MatchBounds::firstIndentedLine(t) != MatchBounds::impossible;
         }},
        // Three families of declaration keywords opening a line; they overlap.
        {R"((?m)^\s*(func|let|var|import|class|struct|enum|protocol|guard|defer)\s+)",
         [](std::string_view t) {
             return MatchBounds::firstKeywordLine(
                        t, {"func", "let", "var", "import", "class", "struct", "enum", "protocol",
                            "guard", "defer"}) != MatchBounds::impossible;
         }},
        {R"((?m)^\s*(def|from|import|class|if __name__)\s+)",
         [](std::string_view t) {
             return MatchBounds::firstKeywordLine(t, {"def", "from", "import", "class",
                                                      "if __name__"}) != MatchBounds::impossible;
         }},
        {R"((?m)^\s*(const|let|var|function|class|import|export|interface|type)\s+)",
         [](std::string_view t) {
             return MatchBounds::firstKeywordLine(t, {"const", "let", "var", "function", "class",
                                                      "import", "export", "interface", "type"}) !=
                    MatchBounds::impossible;
         }},
    }};
    return rules;
}

}  // namespace nimbrook
