#pragma once

#include <array>
#include <string_view>

namespace nimbrook {

// One classification rule: an ICU pattern and a check that answers, in linear time, exactly
// whether an unbounded search with that pattern finds a match in the text.
struct DetectionRule {
    std::string_view pattern;
    bool (*matches)(std::string_view text) = nullptr;
};

// The rules of the Markdown and code classifications, cheapest and most selective first.
class DetectionRules final {
public:
    static const std::array<DetectionRule, 7>& markdown();
    static const std::array<DetectionRule, 5>& code();
};

}  // namespace nimbrook
