#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace nimbrook {

// Strict JSON in, and the program's own writer out.
class JsonText final {
public:
    // Strict RFC 8259 with an object or an array at the top level, white space around
    // it allowed and nothing else; anything else (including invalid UTF-8) is nullopt.
    static std::optional<nlohmann::json> parse(std::string_view text);
    // Two-space indentation, `"key" : value`, keys sorted by UTF-16 code units,
    // "/" written as "\/", non-ASCII as UTF-8, numbers in their shortest round-trip form.
    // Stable: the pretty form of a parse of a pretty form is the same text.
    static std::string pretty(const nlohmann::json& value);
    // No white space at all, otherwise as `pretty` (keys in the parsed object's order).
    static std::string compact(const nlohmann::json& value);
    // A JSON string literal, quotes included, escaped as the writer does.
    static std::string quoted(std::string_view text);
    // The shortest text that reads back to the same double; whole values have no fraction.
    static std::string number(double value);
};

}  // namespace nimbrook
