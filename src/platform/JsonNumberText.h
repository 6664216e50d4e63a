#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrook {

// How the program's writer gives back a JSON number: with its value where a double holds it,
// and as its source text where none does (more digits than a double holds, an integer beyond
// 64 bits, 1e400), so that a conversion never changes a number.
class JsonNumberText final {
public:
    // Room enough for any text `shortest` writes.
    static constexpr std::size_t bufferSize = 32;

    // Appends the written form of `literal`, a number by the grammar: an integer as it stands
    // ("-0" as "0"), any other number as `shortest` writes its double when that keeps the
    // literal's value, and otherwise as it stands.
    static void append(std::string& out, std::string_view literal);
    // Writes the shortest text that reads back to `value` into `buffer` and returns its length:
    // whole values up to 2^53 as plain integers, zero of either sign "0", NaN and infinities
    // "null".
    static std::size_t shortest(double value, char (&buffer)[bufferSize]);
};

}  // namespace nimbrook
