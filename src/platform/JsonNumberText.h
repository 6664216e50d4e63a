#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace nimbrook {

// A JSON number that the program's writer could not give back with its value (more digits
// than a double holds, an integer beyond 64 bits, 1e400), held as its source text so that a
// conversion writes it exactly as it stood.
class JsonNumberText final {
public:
    // A binary value of a subtype of its own: nothing else that parses is a binary.
    static nlohmann::json held(std::string_view literal);
    // The source text of a value made by `held`, else nullopt.
    static std::optional<std::string_view> textOf(const nlohmann::json& value);
    // Whether JsonText::number writes `value`, parsed from `literal`, with the literal's
    // value. A whole number must even keep its text: an order number beyond 64 bits would
    // otherwise turn into 1e+23.
    static bool writtenWithItsValue(double value, std::string_view literal);

private:
    static constexpr std::uint64_t subtype = 0x4E;
};

}  // namespace nimbrook
