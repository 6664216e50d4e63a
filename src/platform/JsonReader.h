#pragma once

#include <cstddef>
#include <limits>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "platform/JsonEvents.h"

namespace nimbrook {

// Strict JSON (RFC 8259) read in one pass, from bytes in memory or from a stream taken piece
// by piece so that a file is never held whole. One value of any kind with white space around
// it and nothing else; strings must be valid UTF-8 and their "\u" escapes whole characters (a
// lone surrogate is refused), so a byte-order mark or a NUL byte outside a string fails too.
// Containers are tracked without recursion, so nesting is bounded only by `maxDepth`.
class JsonReader final {
public:
    static constexpr std::size_t unbounded = std::numeric_limits<std::size_t>::max();

    explicit JsonReader(std::string_view bytes, std::size_t maxDepth = unbounded);
    explicit JsonReader(std::streambuf& input, std::size_t maxDepth = unbounded);

    // Whether the whole input is one value and every event accepted it. The stream, when
    // reading succeeds, has been read to its end.
    bool read(JsonEvents& events);

private:
    enum class Opened { no, yes, failed };

    Opened value();
    Opened open(char bracket);
    bool close();
    bool string(std::string_view& out);
    std::string_view plainRun();
    bool escape(std::string& out);
    bool codeUnit(unsigned& unit);
    bool sequence(std::string& out);
    bool number();
    bool numberGrammar();
    bool digits();
    bool literal(std::string_view word);
    void skipWhitespace();
    int peek();
    int next();
    bool refill();

    const char* at_ = nullptr;
    const char* end_ = nullptr;
    std::streambuf* input_ = nullptr;
    std::vector<char> piece_;
    std::size_t maxDepth_ = unbounded;
    JsonEvents* events_ = nullptr;
    // The brackets of the open containers, innermost last.
    std::string open_;
    // A string with escapes or cut by the end of a piece, or a number cut by it.
    std::string text_;
    // Where the number being read starts, and the last number read.
    const char* numberStart_ = nullptr;
    std::string_view literal_;
};

}  // namespace nimbrook
