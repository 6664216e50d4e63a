#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace nimbrook {

// Names in configuration and desktop files compare without regard to ASCII case; other
// bytes, UTF-8 included, are left as they are.
inline std::string asciiLower(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return lower;
}

// `text` without the characters of `spaces` at either end.
inline std::string_view trimmed(std::string_view text, std::string_view spaces = " \t") {
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(spaces) - first + 1);
}

}  // namespace nimbrook
