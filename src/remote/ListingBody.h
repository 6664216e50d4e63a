#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/ReplyBody.h"

namespace nimbrook {

// A listing made of parts that are cheap to make again (an entry's line, the head of its JSON
// object) and of texts quoted as JSON strings straight from the entries: it is produced part
// by part into one chunk of at most chunkSize bytes, and a quoted text is escaped a slice at a
// time, so even a 20 MB entry is never escaped whole for a connection.
class ListingBody final : public ReplyBody {
public:
    // One part: `plain` as it is, then `quoted` escaped (without its quotes).
    struct Part {
        std::string plain;
        std::string_view quoted{};
    };
    // The parts of one place of the listing, from 0 to the number of places; the views must
    // stay valid as long as the body.
    using Parts = std::function<std::vector<Part>(std::size_t place)>;

    // Makes every place's parts once to count the bytes.
    ListingBody(std::size_t places, Parts parts);

    std::size_t size() const override { return size_; }
    std::string_view next() override;

private:
    // Adds to the chunk from the current part; false once every place was produced.
    bool fill();

    std::size_t places_;
    Parts parts_;
    std::size_t size_ = 0;
    std::size_t place_ = 0;
    std::vector<Part> current_;
    std::size_t part_ = 0;
    // Bytes of the current part already produced: of `plain`, then of `quoted`.
    std::size_t offset_ = 0;
    std::string chunk_;
};

}  // namespace nimbrook
