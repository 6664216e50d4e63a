#pragma once

#include <cstddef>

namespace nimbrook {

// The history never holds more entries that are not pinned than this after an insertion, and
// no more of them are saved; pinned entries come on top and are never trimmed.
inline constexpr std::size_t historyLimit = 500;
// No more entries than this can be pinned at once.
inline constexpr std::size_t pinLimit = 100;

}  // namespace nimbrook
