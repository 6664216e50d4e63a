#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Pattern.h"

namespace nimbrook {

// A fixed, ordered list of substitutions, compiled once and applied to one working text.
class SubstitutionChain final {
public:
    // One step: either an ICU pattern whose matches are replaced by a template ("$1" inserts
    // group 1), or a literal text replaced everywhere, exactly and case-sensitively.
    struct Step {
        enum class Kind { pattern, literal };

        Kind kind = Kind::pattern;
        std::string_view find;
        std::string_view replacement;
        // A text that every match of the pattern contains. A lazy pattern whose closing part
        // is missing rescans the rest of the line from every opener until it runs out of
        // time; when the working text lacks this text the step is skipped without running.
        std::string_view requiredText;
    };

    explicit SubstitutionChain(std::initializer_list<Step> steps);

    // The text after every step in order, each step working on the result of the one before
    // in one left-to-right pass. A pattern step that runs out of time leaves its input as it
    // was and the chain goes on. The text must be valid UTF-8.
    std::string applied(std::string text) const;

private:
    struct CompiledStep {
        std::optional<Pattern> pattern;
        std::string literal;
        std::string replacement;
        std::string requiredText;
    };

    std::vector<CompiledStep> steps_;
};

}  // namespace nimbrook
