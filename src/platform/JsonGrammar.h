#pragma once

#include <string_view>

namespace nimbrook {

// The JSON grammar alone (RFC 8259), with no limit beyond it.
class JsonGrammar final {
public:
    // Whether the text is an object or an array by the grammar, with white space around it
    // and nothing else: at any depth, with numbers of any size and any "\u" escape. A
    // byte-order mark or a NUL byte outside an escape makes it no JSON text. Iterative, so
    // a deep text cannot exhaust the stack; linear time.
    static bool isDocument(std::string_view text);
};

}  // namespace nimbrook
