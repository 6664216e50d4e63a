#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "model/Timestamp.h"

namespace nimbrook {

// Where captured images go: "clipboard_<unix seconds>.png" in a private folder. Only files of
// that naming (ImageReferences::isOwnName) are ever removed from it; other files and anything
// outside it are left alone. Safe to use from the work queue.
class ImageStore {
public:
    using Names = std::set<std::string, std::less<>>;

    virtual ~ImageStore() = default;
    // Writes the bytes unchanged into a new file (never over an existing one: a taken name
    // gets "-1", "-2", ...) and returns its absolute path, or nullopt when it cannot.
    virtual std::optional<std::string> store(std::string_view bytes, Timestamp now) = 0;
    // Removes the files of these names (names of other kinds are passed over).
    virtual void remove(const Names& names) = 0;
    // Removes every file of the own naming but those named in `kept`.
    virtual void removeAllBut(const Names& kept) = 0;
    // The bytes that the folder's files take; 0 when there is no usable folder.
    virtual std::uint64_t totalBytes() const = 0;
};

}  // namespace nimbrook
