#pragma once

#include <cstddef>

namespace nimbrook {

// The history never holds more entries than this after an insertion, and no more are saved.
inline constexpr std::size_t historyLimit = 500;

}  // namespace nimbrook
