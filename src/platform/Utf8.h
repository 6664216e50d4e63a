#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <unicode/utf8.h>

namespace nimbrook::utf8 {

// One decoded character: the code point (negative for an ill-formed sequence, which
// then covers its maximal ill-formed subpart) and its length in bytes (at least 1).
struct Decoded {
    int32_t codePoint = 0;
    std::size_t length = 0;
};

// ICU's macros index with int32_t; a UTF-8 sequence is at most four bytes, so
// decoding inside a four-byte window gives the same result for texts of any size.
inline Decoded decodeAt(std::string_view text, std::size_t position) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data() + position);
    const auto window = static_cast<int32_t>(std::min<std::size_t>(4, text.size() - position));
    int32_t index = 0;
    UChar32 c = 0;
    U8_NEXT(bytes, index, window, c);
    return {c, static_cast<std::size_t>(index)};
}

// The character that ends at `end`, never reaching before `start`.
inline Decoded decodeBefore(std::string_view text, std::size_t start, std::size_t end) {
    const std::size_t windowStart = std::max(start, end >= 4 ? end - 4 : 0);
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data() + windowStart);
    auto index = static_cast<int32_t>(end - windowStart);
    const int32_t before = index;
    UChar32 c = 0;
    U8_PREV(bytes, 0, index, c);
    return {c, static_cast<std::size_t>(before - index)};
}

// True when the text holds only ASCII bytes.
inline bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace nimbrook::utf8
