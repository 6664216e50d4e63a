#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/PatternMatch.h"

namespace nimbrook {

// A fixed, ordered list of substitutions applied to one working text.
class SubstitutionChain final {
public:
    // One step: the matches of an ICU pattern (or of a literal text, exactly and
    // case-sensitively) replaced by a template ("$1" inserts group 1). The finder gives exactly
    // the matches ICU gives for the pattern, in linear time.
    struct Step {
        enum class Kind { pattern, literal };

        Kind kind = Kind::pattern;
        std::string_view find;
        std::string_view replacement;
        MatchFinder finder;
    };

    explicit SubstitutionChain(std::initializer_list<Step> steps) : steps_(steps) {}

    // The text after every step in order, each step working on the result of the one before.
    // The text must be valid UTF-8.
    std::string applied(std::string text) const;
    const std::vector<Step>& steps() const { return steps_; }

    // Every match of the step, left to right in one pass (text produced by a replacement is
    // not searched again), replaced.
    static std::string replaced(std::string_view text, const Step& step);

private:
    std::vector<Step> steps_;
};

}  // namespace nimbrook
