#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace nimbrook {

// Ends the run with the broken property named (and what it was checked on, when given), so
// that libFuzzer saves the input.
inline void require(bool holds, const char* property, std::string_view detail = {}) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s %.*s\n", property,
                     static_cast<int>(detail.size()), detail.data());
        std::abort();
    }
}

// Texts up to this size are also run through ICU's unbounded engine, which stays fast there.
inline constexpr std::size_t referenceTextLimit = 4096;

// What each harness checks of one input; FuzzEntry.cpp hands it libFuzzer's bytes.
void checkInput(const std::string& text);

}  // namespace nimbrook
