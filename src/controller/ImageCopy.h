#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Pasteboard.h"

namespace nimbrook {

class ImageTranscoder;

// What copying an image entry back puts on the clipboard, made from the file it names.
class ImageCopy final {
public:
    // Files up to this size are read at once on the owner's thread (about a millisecond from
    // the page cache), so that a paste right after the copy finds the picture there; larger
    // ones on the work queue.
    static constexpr std::uintmax_t readAtOnceBytes = 2 * 1024 * 1024;

    // The picture as the file holds it (a TIFF with its PNG form first, when `transcoder`
    // gives one), the file's URL and the path; nullopt when the file gives no picture: missing,
    // unreadable, larger than the clipboard takes, or not an image.
    static std::optional<Pasteboard::ImageOffer> offerFor(const std::string& path,
                                                          const ImageTranscoder* transcoder);
    // Whether offerFor(path) is quick enough for the owner's thread: true for a missing file,
    // false for a TIFF, whose conversion takes a while at any size.
    static bool readsAtOnce(const std::string& path);
};

}  // namespace nimbrook
