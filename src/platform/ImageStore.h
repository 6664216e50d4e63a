#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/Timestamp.h"

namespace nimbrook {

// Where captured images go: "clipboard_<unix seconds>.png" in a private folder.
class ImageStore {
public:
    virtual ~ImageStore() = default;
    // Writes the bytes unchanged into a new file (never over an existing one: a taken name
    // gets "-1", "-2", ...) and returns its absolute path, or nullopt when it cannot.
    virtual std::optional<std::string> store(std::string_view bytes, Timestamp now) = 0;
};

}  // namespace nimbrook
