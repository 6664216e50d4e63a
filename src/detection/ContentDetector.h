#pragma once

#include <string>

#include "model/ContentType.h"

namespace nimbrook {

// Classifies a copied text. Pure and thread-safe; bounded time on any input.
class ContentDetector final {
public:
    // image (image path extension) > json > url > markdown (2 of 7 patterns)
    // > code (3 of 5 patterns) > plainText, all on the trimmed text.
    static ContentType detect(const std::string& text);
};

}  // namespace nimbrook
