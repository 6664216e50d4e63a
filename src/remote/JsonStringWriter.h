#pragma once

#include <string>
#include <string_view>

namespace nimbrook {

// JSON string literals written straight into an output buffer, byte for byte as
// nlohmann::json dumps them (UTF-8 kept as it is, control characters escaped, each invalid
// UTF-8 sequence replaced by U+FFFD), without building a JSON value per string: the command
// line's listing quotes megabytes of entries at once.
class JsonStringWriter final {
public:
    static void appendQuoted(std::string& out, std::string_view text);
};

}  // namespace nimbrook
