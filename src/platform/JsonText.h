#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/JsonDocument.h"

namespace nimbrook {

// Strict JSON in, and the program's own writer out.
class JsonText final {
public:
    // Strict RFC 8259 with an object or an array at the top level, white space around
    // it allowed and nothing else; anything else is nullopt: invalid UTF-8, a byte-order
    // mark, a NUL byte, or more than 512 levels of nesting.
    static std::optional<JsonDocument> parse(std::string_view text);
    // Whether `parse` gives a value, decided without building it: a classification of a
    // large text allocates no more than its longest string.
    static bool isDocument(std::string_view text);
    // Two-space indentation, `"key" : value`, one member or element per line, `{}` and
    // `[]` when empty, keys sorted by UTF-16 code units, strings as `quoted` writes them,
    // numbers as JsonNumberText writes them: no number changes its value. Stable: the pretty
    // form of a parse of a pretty form is the same text.
    static std::string pretty(const JsonDocument& document);
    // No white space at all, otherwise as `pretty`; keys in the order of their UTF-8 bytes
    // (code point order).
    static std::string compact(const JsonDocument& document);
    // A JSON string literal, quotes included: `"`, `\`, `/` and control characters
    // escaped (\b \f \n \r \t, others \u00XX), the rest as UTF-8. Invalid UTF-8
    // sequences are written as U+FFFD so that the result is always valid JSON.
    static std::string quoted(std::string_view text);
    // The shortest text that reads back to the same double; whole values up to 2^53 are
    // plain integers (1.0 gives "1"), zero of either sign "0". NaN and infinities,
    // which JSON cannot express, give "null": check std::isfinite where that matters.
    static std::string number(double value);
};

}  // namespace nimbrook
