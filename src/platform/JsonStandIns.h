#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrook {

// nlohmann's parser stops at a number no double reaches (1e400), so it is handed a copy
// with 0 in each such place.
struct JsonStandIns {
    std::string text;
    // For every number of the document in order, the text that stood where a stand-in
    // now stands, or nothing where the number was left alone. Views into the source.
    std::vector<std::string_view> replaced;

    // Nothing unless `source` is a JSON document by the grammar holding a number beyond a
    // double; the grammar then vouches for the numbers the stand-ins hide from the parser.
    static std::optional<JsonStandIns> of(std::string_view source);
};

}  // namespace nimbrook
