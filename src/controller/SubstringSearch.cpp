#include "controller/SubstringSearch.h"

#include <cstdint>
#include <cstring>

#include <string.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace nimbrook {
namespace {

// A plain find stops at every occurrence of the needle's first byte, which in Chinese UTF-8
// is nearly every character. Comparing the first and the last byte of the needle at every
// position of a 64-byte block at once leaves only a few candidates to check in full.
constexpr std::size_t blockSize = 64;

// Kept out of line so that the block loops keep their vectors in registers.
[[gnu::noinline]] bool anyCandidateMatches(const char* block, std::uint64_t candidates,
                                           std::string_view needle) {
    while (candidates != 0) {
        const auto offset = static_cast<std::size_t>(__builtin_ctzll(candidates));
        if (std::memcmp(block + offset + 1, needle.data() + 1, needle.size() - 2) == 0) {
            return true;
        }
        candidates &= candidates - 1;
    }
    return false;
}

#if defined(__x86_64__)
// Blocks scanned with AVX2; returns where the scan stopped, the start of the first block
// holding the needle when `found` is set. Without AVX2 (x86-64 processors before 2013)
// memmem does the work.
[[gnu::target("avx2")]] std::size_t scanAvx2(std::string_view text, std::string_view needle,
                                             bool& found) {
    const __m256i first = _mm256_set1_epi8(needle.front());
    const __m256i last = _mm256_set1_epi8(needle.back());
    const std::size_t lastOffset = needle.size() - 1;
    std::size_t start = 0;
    for (; start + lastOffset + blockSize <= text.size(); start += blockSize) {
        const char* block = text.data() + start;
        const auto* low = reinterpret_cast<const __m256i*>(block);
        const auto* high = reinterpret_cast<const __m256i*>(block + 32);
        const auto* lowLast = reinterpret_cast<const __m256i*>(block + lastOffset);
        const auto* highLast = reinterpret_cast<const __m256i*>(block + 32 + lastOffset);
        const __m256i lowMatches =
            _mm256_and_si256(_mm256_cmpeq_epi8(first, _mm256_loadu_si256(low)),
                             _mm256_cmpeq_epi8(last, _mm256_loadu_si256(lowLast)));
        const __m256i highMatches =
            _mm256_and_si256(_mm256_cmpeq_epi8(first, _mm256_loadu_si256(high)),
                             _mm256_cmpeq_epi8(last, _mm256_loadu_si256(highLast)));
        if (_mm256_testz_si256(_mm256_or_si256(lowMatches, highMatches), _mm256_set1_epi8(-1)) !=
            0) {
            continue;
        }
        const std::uint64_t candidates =
            static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(lowMatches))) |
            static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(highMatches)))
                << 32;
        if (anyCandidateMatches(block, candidates, needle)) {
            found = true;
            return start;
        }
    }
    return start;
}

bool hasAvx2() {
    static const bool available = __builtin_cpu_supports("avx2") != 0;
    return available;
}
#endif

}  // namespace

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
#if defined(__x86_64__)
    bool found = false;
    if (hasAvx2()) {
        start = scanAvx2(text, needle, found);
        if (found) {
            return true;
        }
    }
#endif
    // The tail shorter than a block, and every text where no vector scan is available.
    return ::memmem(text.data() + start, n - start, needle.data(), k) != nullptr;
}

}  // namespace nimbrook
