#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrook {

// Moving bytes through the pipes that Wayland clipboard transfers use, with a deadline, so
// that a peer that never writes (or never reads) costs a bounded wait and no more.
class PipeTransfer final {
public:
    struct Deadlines {
        // The longest wait for the peer to move any byte at all.
        std::chrono::milliseconds stall;
        // The longest the whole transfer may take, however steadily it trickles.
        std::chrono::milliseconds total;
    };

    // Reads `fd` until its end, then closes it. Nullopt when a deadline passes first, when
    // more than `maximumBytes` arrive, or on a read error.
    static std::optional<std::string> readAll(int fd, Deadlines deadlines,
                                              std::size_t maximumBytes);
    // Writes all of `bytes` to `fd`, then closes it. False when a deadline passes first or
    // the reader went away.
    static bool writeAll(int fd, std::string_view bytes, Deadlines deadlines);
};

}  // namespace nimbrook
