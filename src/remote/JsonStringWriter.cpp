#include "remote/JsonStringWriter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

namespace nimbrook {
namespace {

// The length of the valid UTF-8 sequence starting `text` (lead byte 0x80 or above), or 0
// when it is invalid: overlong forms, surrogates and code points past U+10FFFF included.
std::size_t sequenceLength(std::string_view text) {
    const auto at = [text](std::size_t i) {
        return i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{0};
    };
    const auto continues = [&at](std::size_t i) { return (at(i) & 0xc0) == 0x80; };
    const std::uint8_t lead = at(0);
    const std::uint8_t second = at(1);
    if (lead >= 0xc2 && lead <= 0xdf) {
        return continues(1) ? 2 : 0;
    }
    if (lead >= 0xe0 && lead <= 0xef) {
        const bool secondFits = lead == 0xe0   ? second >= 0xa0 && second <= 0xbf
                                : lead == 0xed ? second >= 0x80 && second <= 0x9f
                                               : continues(1);
        return secondFits && continues(2) ? 3 : 0;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        const bool secondFits = lead == 0xf0   ? second >= 0x90 && second <= 0xbf
                                : lead == 0xf4 ? second >= 0x80 && second <= 0x8f
                                               : continues(1);
        return secondFits && continues(2) && continues(3) ? 4 : 0;
    }
    return 0;
}

// What each byte becomes inside the quotes: itself (every byte of valid UTF-8 past ASCII
// too), a two-character escape or a \u00XX escape; eight bytes wide, so one store writes it.
struct Escapes {
    std::array<std::array<char, 8>, 256> text{};
    std::array<std::uint8_t, 256> length{};
};

const Escapes& escapes() {
    static const Escapes table = [] {
        Escapes made;
        constexpr char hex[] = "0123456789abcdef";
        for (std::size_t byte = 0; byte < 256; ++byte) {
            made.text[byte] = {static_cast<char>(byte)};
            made.length[byte] = 1;
        }
        for (std::size_t byte = 0; byte < 0x20; ++byte) {
            made.text[byte] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 0xf]};
            made.length[byte] = 6;
        }
        const std::pair<char, char> named[] = {{'\b', 'b'}, {'\t', 't'}, {'\n', 'n'}, {'\f', 'f'},
                                               {'\r', 'r'}, {'"', '"'},  {'\\', '\\'}};
        for (const auto& [byte, letter] : named) {
            made.text[static_cast<std::uint8_t>(byte)] = {'\\', letter};
            made.length[static_cast<std::uint8_t>(byte)] = 2;
        }
        return made;
    }();
    return table;
}

constexpr std::size_t wordSize = sizeof(std::uint64_t);

constexpr std::uint64_t ones = 0x0101010101010101;
constexpr std::uint64_t highs = 0x8080808080808080;

std::uint64_t wordAt(const char* data) {
    std::uint64_t word = 0;
    std::memcpy(&word, data, wordSize);
    return word;
}

// Whether one of the eight bytes of `word` is an ASCII byte that is escaped: a control
// character, a quote or a backslash. Bytes past ASCII never count.
bool hasEscape(std::uint64_t word) {
    const auto zeroBytes = [](std::uint64_t value) { return (value - ones) & ~value; };
    return (((word - ones * 0x20) & ~word) | zeroBytes(word ^ (ones * '"')) |
            zeroBytes(word ^ (ones * '\\'))) &
           highs;
}

// Whether the eight bytes at `data` are all ASCII copied as they are.
bool isPlainWord(const char* data) {
    const std::uint64_t word = wordAt(data);
    return (word & highs) == 0 && !hasEscape(word);
}

// The quoted length of `text` without its quotes, or nothing when it is not valid UTF-8.
std::optional<std::size_t> escapedLength(std::string_view text, const Escapes& table) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i + wordSize <= text.size() && isPlainWord(text.data() + i)) {
            length += wordSize;
            i += wordSize;
            continue;
        }
        for (const std::size_t wordEnd = std::min(i + wordSize, text.size()); i < wordEnd;) {
            const auto byte = static_cast<std::uint8_t>(text[i]);
            const std::size_t sequence = byte < 0x80 ? 1 : sequenceLength(text.substr(i));
            if (sequence == 0) {
                return std::nullopt;
            }
            length += byte < 0x80 ? table.length[byte] : sequence;
            i += sequence;
        }
    }
    return length;
}

// Writes the escaped `text` at `write`, which has room for its escaped length and a word.
void writeEscaped(char* write, std::string_view text, const Escapes& table) {
    for (std::size_t i = 0; i < text.size(); i += wordSize) {
        const std::size_t count = std::min(wordSize, text.size() - i);
        // Past the length pass the text is valid UTF-8: its bytes past ASCII are copied too.
        if (count == wordSize && !hasEscape(wordAt(text.data() + i))) {
            std::memcpy(write, text.data() + i, wordSize);
            write += wordSize;
            continue;
        }
        for (std::size_t j = i; j < i + count; ++j) {
            const auto byte = static_cast<std::uint8_t>(text[j]);
            std::memcpy(write, table.text[byte].data(), wordSize);
            write += table.length[byte];
        }
    }
}

}  // namespace

void JsonStringWriter::appendQuoted(std::string& out, std::string_view text) {
    const Escapes& table = escapes();
    const auto length = escapedLength(text, table);
    if (!length) {
        // Rare: the library's own replacement rules decide what stands for invalid UTF-8.
        out += nlohmann::json(std::string(text))
                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + 1 + *length + wordSize);
    out[start] = '"';
    writeEscaped(out.data() + start + 1, text, table);
    out.resize(start + 1 + *length);
    out.push_back('"');
}

}  // namespace nimbrook
