#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimbrook {

// The three character sets that every trim and split of the program uses.
enum class CharacterSet {
    // Unicode category Z, U+0009, U+000A to U+000D, U+0085.
    whitespaceAndNewlines,
    // Category Zs and U+0009.
    whitespace,
    // U+000A to U+000D, U+0085, U+2028, U+2029.
    newlines,
};

// Trimming and splitting by one of the three sets. Input must be valid UTF-8
// (see UnicodeText::repairedUtf8); invalid bytes are never members of a set.
class CharacterSets final {
public:
    static bool contains(CharacterSet set, char32_t codePoint);
    // The text without the set's characters at both ends.
    static std::string trimmed(std::string_view text, CharacterSet set);
    // True when the text has no character outside the set (the empty text included).
    static bool isBlank(std::string_view text, CharacterSet set);
    // Every member of the set separates; empty pieces are kept (CR LF gives one between).
    static std::vector<std::string> split(std::string_view text, CharacterSet set);
};

}  // namespace nimbrook
