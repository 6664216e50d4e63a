#include "controller/SubstringSearch.h"

#include <cstring>

#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nimbrook {

// A plain find stops at every occurrence of the needle's first byte, which in Chinese UTF-8
// is nearly every character. Comparing the first and the last byte of the needle at sixteen
// positions at once leaves only a few candidates to check in full.
bool SubstringSearch::contains(std::string_view text, std::string_view needle) {
    const std::size_t n = text.size();
    const std::size_t k = needle.size();
    if (k == 0) {
        return true;
    }
    if (n < k) {
        return false;
    }
    if (k == 1) {
        return std::memchr(text.data(), needle.front(), n) != nullptr;
    }
    std::size_t start = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    for (; start + k - 1 + 16 <= n; start += 16) {
        const auto* firstBlock = reinterpret_cast<const __m128i*>(text.data() + start);
        const auto* lastBlock = reinterpret_cast<const __m128i*>(text.data() + start + k - 1);
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, _mm_loadu_si128(firstBlock)),
                                            _mm_cmpeq_epi8(last, _mm_loadu_si128(lastBlock)))));
        while (mask != 0) {
            const auto offset = static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(text.data() + start + offset + 1, needle.data() + 1, k - 2) == 0) {
                return true;
            }
            mask &= mask - 1;
        }
    }
#endif
    return ::memmem(text.data() + start, n - start, needle.data(), k) != nullptr;
}

}  // namespace nimbrook
