#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrook {

// A URL reference (RFC 3986) as the program uses it.
struct UrlReference final {
    // The scheme exactly as written; empty for a relative reference.
    std::string scheme;
    // The host alone (no user information, no port); absent when the reference has none.
    std::optional<std::string> host;

    // nullopt unless the whole text is one URL reference.
    static std::optional<UrlReference> parse(std::string_view text);
};

}  // namespace nimbrook
