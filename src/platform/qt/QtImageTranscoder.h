#pragma once

#include "platform/ImageTranscoder.h"

namespace nimbrook {

// The toolkit's image readers and writers (TIFF through its image-formats plugin).
class QtImageTranscoder final : public ImageTranscoder {
public:
    // About an 8K screenshot and a half; its header says so before a pixel is decoded.
    static constexpr long long maxPixels = 50'000'000;

    std::optional<std::string> pngFromTiff(std::string_view bytes) const override;
};

}  // namespace nimbrook
