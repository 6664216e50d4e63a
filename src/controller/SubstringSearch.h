#pragma once

#include <string_view>

namespace nimbrook {

// Byte-exact substring search, fast on long texts: the filter of the history panel scans
// every entry in full on each keystroke.
class SubstringSearch final {
public:
    // Whether `needle` occurs as a contiguous run of bytes in `text`; the empty needle
    // occurs in every text.
    static bool contains(std::string_view text, std::string_view needle);
    // The same with the ASCII letters of both compared without case; every other byte,
    // those of UTF-8 sequences included, must match exactly.
    static bool containsIgnoringAsciiCase(std::string_view text, std::string_view needle);
};

}  // namespace nimbrook
