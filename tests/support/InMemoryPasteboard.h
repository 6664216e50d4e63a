#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/Pasteboard.h"

namespace nimbrook {

// A clipboard held in memory. Every offer, like every write, moves the change count.
class InMemoryPasteboard final : public Pasteboard {
public:
    // What another program puts on the clipboard in one copy.
    struct Offer {
        std::optional<std::string> png = std::nullopt;
        std::optional<std::string> tiff = std::nullopt;
        std::optional<std::string> text = std::nullopt;
        bool secret = false;
    };

    std::int64_t changeCount() const override { return changeCount_; }
    std::optional<std::string> pngData() const override { return offer_.png; }
    std::optional<std::string> tiffData() const override { return offer_.tiff; }
    std::optional<std::string> string() const override { return offer_.text; }
    bool isSecret() const override { return offer_.secret; }
    void clearAndSetString(const std::string& text) override {
        copyText(text);
        ++writeCount_;
    }
    // As the desktop's routes do, a read of the program's own image write gives only the path.
    void clearAndSetImage(const ImageOffer& offer) override {
        clearAndSetString(offer.path);
        image_ = offer;
    }

    // Another program copies `offer`, replacing everything that was offered before.
    void copy(Offer offer) {
        offer_ = std::move(offer);
        image_.reset();
        ++changeCount_;
    }
    void copyText(std::string text) { copy(Offer{.text = std::move(text)}); }

    // How many times this program wrote to the clipboard.
    int writeCount() const { return writeCount_; }
    // The image offer the clipboard holds, when the last write was one.
    const std::optional<ImageOffer>& image() const { return image_; }

private:
    Offer offer_;
    std::optional<ImageOffer> image_;
    std::int64_t changeCount_ = 0;
    int writeCount_ = 0;
};

}  // namespace nimbrook
