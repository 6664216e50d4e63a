#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nimbrook {

// The character classes of ICU's pattern syntax, as its engine reads them from UTF-8, for the
// matchers that stand in for patterns. Texts are valid UTF-8; code points are never negative.
class PatternCharacters final {
public:
    static constexpr std::size_t none = std::string_view::npos;

    // "\s": the White_Space property (the white-space-and-newline set).
    static bool isSpace(int32_t codePoint);
    // "\w": alphabetic, marks, decimal digits, connector punctuation, U+200C and U+200D.
    static bool isWord(int32_t codePoint);
    // "\d": decimal digits of any script.
    static bool isDigit(int32_t codePoint);

    // The length of the line break at `position` (U+000A to U+000D, U+0085, U+2028, U+2029:
    // what "." never matches and after which multi-line "^" matches), 0 when there is none.
    static std::size_t lineBreakAt(std::string_view text, std::size_t position);
    // The first line break at or after `from`, or `none`.
    static std::size_t nextLineBreak(std::string_view text, std::size_t from);
    // The end of the run of "\s" characters, or of "\w" characters, that starts at `from`.
    static std::size_t spaceRunEnd(std::string_view text, std::size_t from);
    static std::size_t wordRunEnd(std::string_view text, std::size_t from);
};

}  // namespace nimbrook
