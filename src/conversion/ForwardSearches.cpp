#include "conversion/ForwardSearches.h"

#include <string.h>

#include "platform/PatternCharacters.h"

namespace nimbrook {

template <typename Search>
std::size_t ForwardSearches::remembered(std::size_t slot, std::size_t from, Search search) {
    Answer& answer = answers_[slot];
    // Nothing lies in [answer.from, answer.found), so any start in there finds the same.
    if (answer.from != none && from >= answer.from && from <= answer.found) {
        return answer.found;
    }
    answer = {from, from > text_.size() ? none : search(from)};
    return answer.found;
}

std::size_t ForwardSearches::find(std::size_t slot, std::string_view needle, std::size_t from) {
    return remembered(slot, from,
                      [this, needle](std::size_t start) { return text_.find(needle, start); });
}

std::size_t ForwardSearches::lineBreak(std::size_t slot, std::size_t from) {
    return remembered(slot, from, [this](std::size_t start) {
        return PatternCharacters::nextLineBreak(text_, start);
    });
}

}  // namespace nimbrook
