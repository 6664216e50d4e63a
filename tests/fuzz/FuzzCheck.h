#pragma once

#include <cstdio>
#include <cstdlib>

namespace nimbrook {

// Ends the run with the broken property named, so that libFuzzer saves the input.
inline void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

}  // namespace nimbrook
