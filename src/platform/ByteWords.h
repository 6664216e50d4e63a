#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Eight bytes of a text looked at in one machine word, for scans that pass over plain runs a
// word at a time. Each test gives a word with the high bit set in a byte that matches, and
// possibly in bytes above one that does, so it answers exactly whether any byte matches.
namespace nimbrook::byteWords {

constexpr std::size_t size = sizeof(std::uint64_t);
constexpr std::uint64_t ones = 0x0101010101010101ULL;
constexpr std::uint64_t highs = 0x8080808080808080ULL;

// The `size` bytes at `data`, which must all be readable.
inline std::uint64_t at(const char* data) {
    std::uint64_t word = 0;
    std::memcpy(&word, data, size);
    return word;
}

// Bytes of 0x80 and above: those of multi-byte UTF-8 sequences.
constexpr std::uint64_t nonAscii(std::uint64_t word) {
    return word & highs;
}

// ASCII bytes below `limit` (at most 0x80); bytes past ASCII never count.
constexpr std::uint64_t below(std::uint64_t word, std::uint8_t limit) {
    return (word - ones * limit) & ~word & highs;
}

// Bytes equal to `byte`.
constexpr std::uint64_t equal(std::uint64_t word, char byte) {
    const std::uint64_t differences = word ^ (ones * static_cast<std::uint8_t>(byte));
    return below(differences, 1);
}

}  // namespace nimbrook::byteWords
