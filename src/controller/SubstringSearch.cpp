#include "controller/SubstringSearch.h"

#include <cstdint>
#include <cstring>
#include <string>

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
constexpr char caseBit = 0x20;

char asciiLowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c | caseBit) : c;
}

bool isAsciiLower(char c) {
    return c >= 'a' && c <= 'z';
}

std::string asciiLowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        c = asciiLowered(c);
    }
    return lowered;
}

// How the text's bytes are compared with the (lowered, when folding) needle's.
template <bool foldCase>
bool sameBytes(const char* text, const char* needle, std::size_t length) {
    if constexpr (!foldCase) {
        return std::memcmp(text, needle, length) == 0;
    } else {
        for (std::size_t index = 0; index < length; ++index) {
            if (asciiLowered(text[index]) != needle[index]) {
                return false;
            }
        }
        return true;
    }
}

// Kept out of line so that the block loops keep their vectors in registers.
template <bool foldCase>
[[gnu::noinline]] bool anyCandidateMatches(const char* block, std::uint64_t candidates,
                                           std::string_view needle) {
    if (needle.size() == 1) {
        return candidates != 0;
    }
    while (candidates != 0) {
        const auto offset = static_cast<std::size_t>(__builtin_ctzll(candidates));
        if (sameBytes<foldCase>(block + offset + 1, needle.data() + 1, needle.size() - 2)) {
            return true;
        }
        candidates &= candidates - 1;
    }
    return false;
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] __m256i load(const char* at, __m256i fold) {
    return _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), fold);
}

// Blocks scanned with AVX2; returns where the scan stopped, the start of the first block
// holding the needle when `found` is set. Without AVX2 (x86-64 processors before 2013)
// memmem does the work. Folding case, a byte matches a lower-case letter of the needle when
// it equals it with the case bit set: only the letter's capital does.
template <bool foldCase>
[[gnu::target("avx2")]] std::size_t scanAvx2(std::string_view text, std::string_view needle,
                                             bool& found) {
    const __m256i first = _mm256_set1_epi8(needle.front());
    const __m256i last = _mm256_set1_epi8(needle.back());
    const __m256i firstFold =
        _mm256_set1_epi8(foldCase && isAsciiLower(needle.front()) ? caseBit : 0);
    const __m256i lastFold =
        _mm256_set1_epi8(foldCase && isAsciiLower(needle.back()) ? caseBit : 0);
    const std::size_t lastOffset = needle.size() - 1;
    std::size_t start = 0;
    for (; start + lastOffset + blockSize <= text.size(); start += blockSize) {
        const char* block = text.data() + start;
        const __m256i lowMatches =
            _mm256_and_si256(_mm256_cmpeq_epi8(first, load(block, firstFold)),
                             _mm256_cmpeq_epi8(last, load(block + lastOffset, lastFold)));
        const __m256i highMatches =
            _mm256_and_si256(_mm256_cmpeq_epi8(first, load(block + 32, firstFold)),
                             _mm256_cmpeq_epi8(last, load(block + 32 + lastOffset, lastFold)));
        if (_mm256_testz_si256(_mm256_or_si256(lowMatches, highMatches), _mm256_set1_epi8(-1)) !=
            0) {
            continue;
        }
        const std::uint64_t candidates =
            static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(lowMatches))) |
            static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(highMatches)))
                << 32;
        if (anyCandidateMatches<foldCase>(block, candidates, needle)) {
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

// `needle` is lowered already when folding case.
template <bool foldCase>
bool containsLong(std::string_view text, std::string_view needle) {
    std::size_t start = 0;
#if defined(__x86_64__)
    bool found = false;
    if (hasAvx2()) {
        start = scanAvx2<foldCase>(text, needle, found);
        if (found) {
            return true;
        }
    }
#endif
    // The tail shorter than a block, and every text where no vector scan is available (a
    // lowered copy then, so that the search stays linear).
    text.remove_prefix(start);
    if constexpr (foldCase) {
        const std::string lowered = asciiLowered(text);
        return ::memmem(lowered.data(), lowered.size(), needle.data(), needle.size()) != nullptr;
    } else {
        return ::memmem(text.data(), text.size(), needle.data(), needle.size()) != nullptr;
    }
}

}  // namespace

bool SubstringSearch::contains(std::string_view text, std::string_view needle) {
    if (needle.empty()) {
        return true;
    }
    if (text.size() < needle.size()) {
        return false;
    }
    if (needle.size() == 1) {
        return std::memchr(text.data(), needle.front(), text.size()) != nullptr;
    }
    return containsLong<false>(text, needle);
}

bool SubstringSearch::containsIgnoringAsciiCase(std::string_view text, std::string_view needle) {
    if (needle.empty()) {
        return true;
    }
    if (text.size() < needle.size()) {
        return false;
    }
    const std::string lowered = asciiLowered(needle);
    if (lowered.size() == 1 && !isAsciiLower(lowered.front())) {
        return std::memchr(text.data(), lowered.front(), text.size()) != nullptr;
    }
    // A letter alone goes through the block scan too: one pass for both of its cases.
    return containsLong<true>(text, lowered);
}

}  // namespace nimbrook
