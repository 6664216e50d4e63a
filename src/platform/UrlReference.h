#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrook {

// A URL reference (RFC 3986) as the program uses it.
struct UrlReference final {
    // The scheme exactly as written; empty for a relative reference.
    std::string scheme;
    // The host alone (no user information, no port), as written; an IPv6 literal without
    // its brackets. Absent when the reference has no authority or an empty host.
    std::optional<std::string> host;

    // nullopt unless the whole text is one RFC 3986 URI reference (so no spaces, no
    // non-ASCII characters, no bad percent-encoding); the empty text is none either.
    static std::optional<UrlReference> parse(std::string_view text);
};

}  // namespace nimbrook
