#include "remote/JsonStringWriter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/ByteWords.h"

namespace nimbrook {
namespace {

constexpr std::string_view replacement = "\xef\xbf\xbd";

// A character of UTF-8 past ASCII, or what stands in for an invalid one.
struct Unit {
    std::size_t length;
    bool valid;
};

// The character starting `text` (lead byte 0x80 or above). When it is invalid (overlong
// forms, surrogates and code points past U+10FFFF included), its longest start that could
// still have begun a valid character, at least one byte, is replaced as one unit: the JSON
// library's rule. No unit reaches past a byte that could start a character.
Unit unitAt(std::string_view text) {
    const auto at = [text](std::size_t i) {
        return i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{0};
    };
    const auto continues = [&at](std::size_t i) { return (at(i) & 0xc0) == 0x80; };
    const std::uint8_t lead = at(0);
    const std::uint8_t second = at(1);
    std::size_t expected = 0;
    bool secondFits = false;
    if (lead >= 0xc2 && lead <= 0xdf) {
        expected = 2;
        secondFits = continues(1);
    } else if (lead >= 0xe0 && lead <= 0xef) {
        expected = 3;
        secondFits = lead == 0xe0   ? second >= 0xa0 && second <= 0xbf
                     : lead == 0xed ? second >= 0x80 && second <= 0x9f
                                    : continues(1);
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        expected = 4;
        secondFits = lead == 0xf0   ? second >= 0x90 && second <= 0xbf
                     : lead == 0xf4 ? second >= 0x80 && second <= 0x8f
                                    : continues(1);
    }
    if (!secondFits) {
        return {1, false};
    }
    std::size_t length = 2;
    while (length < expected && continues(length)) {
        ++length;
    }
    return {length, length == expected};
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

constexpr std::size_t wordSize = byteWords::size;
// Whether one of the eight bytes of `word` is an ASCII byte that is escaped: a control
// character, a quote or a backslash. Bytes past ASCII never count.
bool hasEscape(std::uint64_t word) {
    return (byteWords::below(word, 0x20) | byteWords::equal(word, '"') |
            byteWords::equal(word, '\\')) != 0;
}

// Whether the eight bytes at `data` are all ASCII copied as they are.
bool isPlainWord(const char* data) {
    const std::uint64_t word = byteWords::at(data);
    return byteWords::nonAscii(word) == 0 && !hasEscape(word);
}

struct Measure {
    std::size_t length = 0;
    bool valid = true;
};

// The escaped length of `text` without its quotes, and whether it is valid UTF-8.
Measure measured(std::string_view text, const Escapes& table) {
    Measure measure;
    for (std::size_t i = 0; i < text.size();) {
        if (i + wordSize <= text.size() && isPlainWord(text.data() + i)) {
            measure.length += wordSize;
            i += wordSize;
            continue;
        }
        for (const std::size_t wordEnd = std::min(i + wordSize, text.size()); i < wordEnd;) {
            const auto byte = static_cast<std::uint8_t>(text[i]);
            if (byte < 0x80) {
                measure.length += table.length[byte];
                ++i;
                continue;
            }
            const Unit unit = unitAt(text.substr(i));
            measure.length += unit.valid ? unit.length : replacement.size();
            measure.valid = measure.valid && unit.valid;
            i += unit.length;
        }
    }
    return measure;
}

// Writes the escaped `text` at `write`, which has room for its escaped length and a word.
void writeEscaped(char* write, std::string_view text, const Escapes& table) {
    for (std::size_t i = 0; i < text.size(); i += wordSize) {
        const std::size_t count = std::min(wordSize, text.size() - i);
        // Past the length pass the text is valid UTF-8: its bytes past ASCII are copied too.
        if (count == wordSize && !hasEscape(byteWords::at(text.data() + i))) {
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

// The same for text that is not valid UTF-8, one unit at a time.
void writeReplacing(char* write, std::string_view text, const Escapes& table) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte < 0x80) {
            std::memcpy(write, table.text[byte].data(), wordSize);
            write += table.length[byte];
            ++i;
            continue;
        }
        const Unit unit = unitAt(text.substr(i));
        const std::string_view bytes = unit.valid ? text.substr(i, unit.length) : replacement;
        std::memcpy(write, bytes.data(), bytes.size());
        write += bytes.size();
        i += unit.length;
    }
}

// `cut`, or up to three bytes before it, so that no unit of `text` spans it: it lands on a
// byte that starts a character, or past three continuation bytes, which no unit before can
// reach beyond.
std::size_t unitBoundary(std::string_view text, std::size_t cut) {
    if (cut >= text.size()) {
        return text.size();
    }
    for (std::size_t back = 0; back <= 3 && back <= cut; ++back) {
        if ((static_cast<std::uint8_t>(text[cut - back]) & 0xc0) != 0x80) {
            return cut - back;
        }
    }
    return cut;
}

}  // namespace

std::size_t JsonStringWriter::escapedSize(std::string_view text) {
    return measured(text, escapes()).length;
}

std::size_t JsonStringWriter::appendEscapedSlice(std::string& out, std::string_view text,
                                                 std::size_t room) {
    // An ASCII control character grows the most, to six bytes; stores are a word wide.
    constexpr std::size_t growth = 6;
    const std::size_t budget = room > wordSize ? (room - wordSize) / growth : 0;
    const std::string_view slice = text.substr(0, unitBoundary(text, budget));
    const Escapes& table = escapes();
    const Measure measure = measured(slice, table);
    const std::size_t start = out.size();
    out.resize(start + measure.length + wordSize);
    if (measure.valid) {
        writeEscaped(out.data() + start, slice, table);
    } else {
        writeReplacing(out.data() + start, slice, table);
    }
    out.resize(start + measure.length);
    return slice.size();
}

}  // namespace nimbrook
