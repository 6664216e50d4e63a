#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrook {

// A strict JSON text read into a few flat arrays, so that a document of any size takes a
// handful of allocations: its values in document order, the decoded strings and number texts
// in one arena, and each container's children as a range of one shared list. An object holds
// each key once, with the value that came last, and its members in the order of their keys'
// UTF-8 bytes (which is code point order).
class JsonDocument final {
public:
    enum class Kind : std::uint8_t { null, falseValue, trueValue, number, string, array, object };

    // A value's position in the document.
    using Index = std::uint32_t;

    struct Member {
        Index keyOffset = 0;
        Index keyLength = 0;
        Index value = 0;
    };

    // Containers nest at most this deep; the writers recurse once per level.
    static constexpr std::size_t maxDepth = 512;

    // Nullopt when `text` is not one JSON value with white space around it (see JsonReader),
    // nests deeper than `maxDepth` or is 4 GiB long or longer.
    static std::optional<JsonDocument> parse(std::string_view text);

    static constexpr Index root = 0;
    Kind kind(Index value) const { return nodes_[value].kind; }
    // A string's decoded value, or a number's source text.
    std::string_view text(Index value) const;
    std::span<const Index> elements(Index array) const;
    std::span<const Member> members(Index object) const;
    std::string_view key(const Member& member) const;

private:
    class Builder;

    struct Node {
        Kind kind = Kind::null;
        // The arena's bytes of a string or number, the children of a container.
        Index first = 0;
        Index size = 0;
    };

    JsonDocument() = default;

    std::string arena_;
    std::vector<Node> nodes_;
    std::vector<Index> elements_;
    std::vector<Member> members_;
};

}  // namespace nimbrook
