#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace nimbrook {

// Exact, cheap bounds on where a classification pattern can match in a text, read from its
// literals and from the shared character sets (which agree with the pattern engine's "\s",
// "." and multi-line "^"). A search started at the bound finds a match exactly when a
// search of the whole text does; `impossible` means that no match exists. Texts are UTF-8.
class MatchBounds final {
public:
    static constexpr std::size_t impossible = std::string_view::npos;

    // A literal a pattern needs, and the least distance from its start to the start of the
    // next literal it needs.
    struct Literal {
        std::string_view text;
        std::size_t gapToNext = 0;
    };

    // Whether the literals occur in this order with at least the given gaps.
    static bool containsInOrder(std::string_view text, std::initializer_list<Literal> literals);
    // The position of the first of the characters, or `impossible`.
    static std::size_t firstOfAny(std::string_view text, std::string_view characters);
    // Whether the text holds a character of the newline set.
    static bool containsLineBreak(std::string_view text);
    // For "\[.+?\]\(.+?\)": the start of the first line holding "[", "](" and ")" in order.
    static std::size_t firstLinkLine(std::string_view text);
    // For "(?m)^    \S": the start of the first line that opens with four spaces and then a
    // character that is not white space.
    static std::size_t firstIndentedLine(std::string_view text);
    // For "(?m)^\s*(keyword|...)\s+": the start of the first line on which one of the
    // keywords stands after white space only and before a white-space character.
    static std::size_t firstKeywordLine(std::string_view text,
                                        std::initializer_list<std::string_view> keywords);
};

}  // namespace nimbrook
