#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nimbrook {

// What the reader took of one owner's offer of the CLIPBOARD selection, read whole before it
// is published, so that answering the pasteboard's questions waits for nobody.
struct X11Offer {
    // Moves with every change of owner the reader has seen, this program's own included.
    std::int64_t changeCount = 0;
    // Marked by a password manager: nothing else of it is read.
    bool isSecret = false;
    // Written by this program: nothing else of it is read either.
    bool isOwn = false;
    std::optional<std::string> png;
    std::optional<std::string> tiff;
    // UTF-8, repaired where the owner sent broken bytes.
    std::optional<std::string> text;
};

}  // namespace nimbrook
