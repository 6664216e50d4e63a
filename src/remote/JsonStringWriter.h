#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrook {

// The insides of JSON string literals written straight into an output buffer, byte for byte
// as nlohmann::json dumps them (UTF-8 kept as it is, control characters escaped, each invalid
// UTF-8 sequence replaced by U+FFFD), without building a JSON value per string, and a slice at
// a time: the command line's listing quotes megabytes of entries for each connection.
class JsonStringWriter final {
public:
    // The room that appendEscapedSlice needs to take at least one character.
    static constexpr std::size_t minimumRoom = 32;

    // The length of the escaped form of `text`, without the quotes.
    static std::size_t escapedSize(std::string_view text);
    // Appends the escaped form of the longest start of `text` whose escaped form surely fits
    // `room` bytes, cut between characters (so that slices written one after the other read
    // as the whole text escaped at once), and returns how many bytes of `text` it took: at
    // least one character when `room` is minimumRoom or more, none when it is far smaller.
    // Writes nothing further than `room` bytes past the end of `out`, so a buffer reserved
    // for them never grows.
    static std::size_t appendEscapedSlice(std::string& out, std::string_view text,
                                          std::size_t room);
};

}  // namespace nimbrook
