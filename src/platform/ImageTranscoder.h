#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrook {

// Turns a picture into another format. Any thread may call it, so the work queue does.
class ImageTranscoder {
public:
    virtual ~ImageTranscoder() = default;
    // The PNG form of the TIFF `bytes`; nullopt when they do not decode, or when they claim
    // more pixels than a desktop picture has (a decompression bomb).
    virtual std::optional<std::string> pngFromTiff(std::string_view bytes) const = 0;
};

}  // namespace nimbrook
