#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "conversion/ForwardSearches.h"

namespace nimbrook {

struct TextSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// One match of a pattern: where it lies, and its groups in the pattern's order (a group that
// took no part is empty).
struct PatternMatch {
    TextSpan whole;
    std::array<TextSpan, 2> groups{};
};

// The leftmost match that starts at or after `from`, as ICU's find from there gives it, or
// nullopt. Calls on one text come with nondecreasing `from` and share `searches`.
using MatchFinder = std::function<std::optional<PatternMatch>(
    std::string_view text, std::size_t from, ForwardSearches& searches)>;

}  // namespace nimbrook
