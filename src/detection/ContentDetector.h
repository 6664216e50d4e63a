#pragma once

#include <string>

#include "model/ContentType.h"

namespace nimbrook {

// Classifies a copied text. Pure and thread-safe.
class ContentDetector final {
public:
    // The type of the text, decided on the text trimmed of white space and line breaks:
    // image (image path extension) > json > url > markdown (2 of 7 patterns)
    // > code (3 of 5 patterns) > plainText. Never fails: a blank text is plainText,
    // invalid UTF-8 is classified as its repaired form. Linear time.
    static ContentType detect(const std::string& text);
};

}  // namespace nimbrook
