#pragma once

#include <string>
#include <string_view>

#include "conversion/SubstitutionChain.h"

namespace nimbrook {

// ICU's own search and replacement for a pattern, with no time limit and no stack limit: what
// the program's matchers must give, measured against the engine itself.
class ReferencePattern final {
public:
    // Whether the pattern matches anywhere in the text.
    static bool found(std::string_view pattern, std::string_view text);
    // The step as ICU's replaceAll runs it: its pattern, or its literal text quoted; "$1" in
    // the replacement inserts group 1.
    static std::string replacedByStep(std::string_view text, const SubstitutionChain::Step& step);
};

}  // namespace nimbrook
