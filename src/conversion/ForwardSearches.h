#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace nimbrook {

// Forward searches over one text, each in a numbered slot that keeps its last answer: a search
// from a start between the last start and the last position found has that same answer. A
// matcher that never moves a slot's start backwards thus reads the text once per slot, however
// many candidates it tries.
class ForwardSearches final {
public:
    static constexpr std::size_t none = std::string_view::npos;
    static constexpr std::size_t slotCount = 8;

    explicit ForwardSearches(std::string_view text) : text_(text) {}

    // The first position at or after `from` where `needle` starts, or `none`. A slot must
    // always be asked for the same needle.
    std::size_t find(std::size_t slot, std::string_view needle, std::size_t from);
    // The first line break at or after `from`, or `none`.
    std::size_t lineBreak(std::size_t slot, std::size_t from);

private:
    struct Answer {
        std::size_t from = none;
        std::size_t found = none;
    };

    template <typename Search>
    std::size_t remembered(std::size_t slot, std::size_t from, Search search);

    std::string_view text_;
    std::array<Answer, slotCount> answers_{};
};

}  // namespace nimbrook
