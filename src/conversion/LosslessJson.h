#pragma once

#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace nimbrook {

// JSON that the program's writer can give back without changing a value.
class LosslessJson final {
public:
    // As JsonText::parse, but also nullopt when an integer lies outside 64 bits: the parser
    // keeps such an integer only as a double, and writing it back would round its digits
    // (an order number or a ledger amount would silently change).
    static std::optional<nlohmann::json> parse(std::string_view text);
};

}  // namespace nimbrook
