#include "support/InMemoryPasteboard.h"

#include <utility>

namespace nimbrook {

void InMemoryPasteboard::clearAndSetString(const std::string& text) {
    copy(Offer{.text = text});
    ++writeCount_;
}

void InMemoryPasteboard::copy(Offer offer) {
    offer_ = std::move(offer);
    ++changeCount_;
}

void InMemoryPasteboard::copyText(std::string text) {
    copy(Offer{.text = std::move(text)});
}

}  // namespace nimbrook
