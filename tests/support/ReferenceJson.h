#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrook {

// The pretty and compact forms of a JSON text as an nlohmann tree of the text writes them, with
// keys sorted by ICU's UTF-16 strings: what the program's flat document must give. Nullopt
// where the program's reader refuses the text or no object or array stands at its top.
class ReferenceJson final {
public:
    static std::optional<std::string> pretty(std::string_view text);
    static std::optional<std::string> compact(std::string_view text);
};

}  // namespace nimbrook
