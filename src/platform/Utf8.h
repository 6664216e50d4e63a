#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
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

// The length of the well-formed UTF-8 sequence at `index` (Unicode table 3-7: no overlong
// forms, no surrogates, nothing above U+10FFFF), or 0 when there is none.
inline std::size_t wellFormedLength(std::string_view bytes, std::size_t index) {
    const auto byteAt = [&](std::size_t offset) {
        return static_cast<unsigned char>(bytes[index + offset]);
    };
    const auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    const unsigned char lead = byteAt(0);
    const std::size_t left = bytes.size() - index;
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return left >= 2 && continuation(byteAt(1)) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        const bool valid =
            left >= 3 && byteAt(1) >= low && byteAt(1) <= high && continuation(byteAt(2));
        return valid ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        const bool valid = left >= 4 && byteAt(1) >= low && byteAt(1) <= high &&
                           continuation(byteAt(2)) && continuation(byteAt(3));
        return valid ? 4 : 0;
    }
    return 0;
}

// Appends the UTF-8 form of a code point (a scalar value: no surrogate, at most U+10FFFF).
inline void append(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace nimbrook::utf8
