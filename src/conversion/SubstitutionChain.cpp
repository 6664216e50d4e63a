#include "conversion/SubstitutionChain.h"

#include <algorithm>
#include <utility>

namespace nimbrook {

namespace {

// "$n" (one digit) inserts group n; the templates of the chains hold nothing else special.
void appendExpanded(std::string& out, std::string_view replacement, std::string_view text,
                    const PatternMatch& match) {
    for (std::size_t index = 0; index < replacement.size(); ++index) {
        const char c = replacement[index];
        if (c == '$' && index + 1 < replacement.size() && replacement[index + 1] >= '1' &&
            replacement[index + 1] <= '2') {
            const TextSpan group = match.groups[replacement[++index] - '1'];
            out.append(text.substr(group.begin, group.end - group.begin));
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string SubstitutionChain::applied(std::string text) const {
    for (const Step& step : steps_) {
        text = replaced(text, step);
    }
    return text;
}

std::string SubstitutionChain::replaced(std::string_view text, const Step& step) {
    ForwardSearches searches(text);
    std::string out;
    std::size_t copiedUpTo = 0;
    std::size_t from = 0;
    while (const std::optional<PatternMatch> match = step.finder(text, from, searches)) {
        out.append(text.substr(copiedUpTo, match->whole.begin - copiedUpTo));
        appendExpanded(out, step.replacement, text, *match);
        copiedUpTo = match->whole.end;
        // No pattern of the chains matches the empty text; the guard keeps the loop finite.
        from = std::max(match->whole.end, match->whole.begin + 1);
    }
    if (copiedUpTo == 0) {
        return std::string(text);
    }
    out.append(text.substr(copiedUpTo));
    return out;
}

}  // namespace nimbrook
