#include "support/InMemoryImageStore.h"

#include <cmath>
#include <cstdint>

namespace nimbrook {

std::optional<std::string> InMemoryImageStore::store(std::string_view bytes, Timestamp now) {
    if (failing_) {
        return std::nullopt;
    }
    const std::string base =
        "/memory/clipboard_" + std::to_string(static_cast<std::int64_t>(now.unixSeconds()));
    std::string path = base + ".png";
    for (int suffix = 1; files_.contains(path); ++suffix) {
        path = base + "-" + std::to_string(suffix) + ".png";
    }
    files_.emplace(path, std::string(bytes));
    return path;
}

}  // namespace nimbrook
