#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrook {

// Texts on which a matcher is compared with ICU: seeded random texts made of the pieces that
// the patterns of detection and conversion react to (tags, Markdown markers, every kind of
// line break and white space, non-ASCII letters, digits and marks), most of them short, some
// up to 64 KB; then texts built so that ICU retries far from many openers.
std::vector<std::string> differentialTexts();

std::string repeated(std::string_view piece, std::size_t count);

}  // namespace nimbrook
