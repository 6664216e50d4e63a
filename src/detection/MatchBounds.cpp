#include "detection/MatchBounds.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/CharacterSet.h"
#include "platform/Utf8.h"

namespace nimbrook {

namespace {

constexpr std::size_t impossible = MatchBounds::impossible;

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

struct LineBreak {
    std::size_t position = 0;
    std::size_t length = 0;
};

// The first line break at or after `from`, or the end of the text with length 0. The
// newline set is exactly what the pattern engine takes for a line break ("." stops there,
// "^" in multi-line mode starts after it).
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

}  // namespace

bool MatchBounds::containsInOrder(std::string_view text, std::initializer_list<Literal> literals) {
    // Taking the earliest occurrence of each literal never misses a chain that exists.
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

// The first of the characters; a match of a pattern that opens with one of them cannot
// begin before it.
std::size_t MatchBounds::firstOfAny(std::string_view text, std::string_view characters) {
    std::size_t first = impossible;
    for (const char c : characters) {
        first = std::min(first, text.substr(0, first).find(c));
    }
    return first;
}

bool MatchBounds::containsLineBreak(std::string_view text) {
    return nextLineBreak(text, 0).length > 0;
}

// "." stops at line breaks, so a link lies within one line. No match can begin on the
// lines before the first that holds the literals in order; starting the search there
// spares the engine a long line of unmatched "[" before it.
std::size_t MatchBounds::firstLinkLine(std::string_view text) {
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
std::size_t MatchBounds::firstIndentedLine(std::string_view text) {
    if (text.find("    ") == std::string_view::npos) {
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

// A keyword pattern ("^\s*(keyword)\s+" in multi-line mode) matches exactly when some
// keyword has only white space before it on its line and a white-space character after it,
// and it then matches from the start of that line. Searching from the line of the first
// such keyword finds it at once, where searching from the text start would let "^\s*"
// backtrack over a run of blank lines from every line start in it.
std::size_t MatchBounds::firstKeywordLine(std::string_view text,
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

}  // namespace nimbrook
