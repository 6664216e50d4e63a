#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrook {

// The image file an entry names, read whole.
class ImageFile final {
public:
    // The bytes of the regular file at the absolute `path`; nullopt when there is none, when
    // it cannot be read or holds more than `maximumBytes`. A relative path, a folder or a FIFO
    // (which would block the reader) gives nullopt too.
    static std::optional<std::string> read(const std::string& path, std::size_t maximumBytes);
    struct Summary {
        std::uintmax_t size = 0;
        // As mimeTypeOf() tells from the file's first bytes.
        std::string_view mimeType;
    };
    // The size and kind of the regular file at the absolute `path`, from its first bytes alone;
    // nullopt as for read().
    static std::optional<Summary> summary(const std::string& path);
    // The MIME type that the leading bytes announce: "image/png", "image/tiff", "image/jpeg",
    // "image/gif" or "image/webp"; empty for anything else. The file's name is not asked: a
    // capture is named ".png" whatever the clipboard held.
    static std::string_view mimeTypeOf(std::string_view bytes);
};

}  // namespace nimbrook
