#include "conversion/SubstitutionChain.h"

#include <utility>

#include "platform/UnicodeText.h"

namespace nimbrook {

SubstitutionChain::SubstitutionChain(std::initializer_list<Step> steps) {
    steps_.reserve(steps.size());
    for (const Step& step : steps) {
        CompiledStep compiled;
        if (step.kind == Step::Kind::pattern) {
            compiled.pattern.emplace(step.find);
        } else {
            compiled.literal = step.find;
        }
        compiled.replacement = step.replacement;
        compiled.requiredText = step.requiredText;
        steps_.push_back(std::move(compiled));
    }
}

std::string SubstitutionChain::applied(std::string text) const {
    for (const CompiledStep& step : steps_) {
        if (text.find(step.requiredText) == std::string::npos) {
            continue;
        }
        if (step.pattern) {
            text = step.pattern->replaceAll(text, step.replacement);
        } else {
            text = UnicodeText::replacingOccurrences(text, step.literal, step.replacement);
        }
    }
    return text;
}

}  // namespace nimbrook
