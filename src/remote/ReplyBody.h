#pragma once

#include <cstddef>
#include <string_view>

namespace nimbrook {

// The standard output of a reply, produced piece by piece as the connection drains instead of
// being held whole: a listing of the full history is megabytes, and every connection that
// waits on a slow or stalled reader would hold a copy. The size is known before the first
// byte, since the reply's frame announces it up front.
class ReplyBody {
public:
    // What next() gives at most at once: a listing makes its pieces in a buffer of this size,
    // so that a connection costs this much of the program's memory besides the socket's
    // kernel buffer.
    static constexpr std::size_t chunkSize = 64 * 1024;

    virtual ~ReplyBody() = default;

    // How many bytes next() gives in all.
    virtual std::size_t size() const = 0;
    // The following bytes, valid until the next call; empty once all were given.
    virtual std::string_view next() = 0;
};

}  // namespace nimbrook
