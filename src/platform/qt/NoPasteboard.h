#pragma once

#include "platform/Pasteboard.h"

namespace nimbrook {

// For desktops that let no program read the clipboard: it never changes and holds nothing.
class NoPasteboard final : public Pasteboard {
public:
    std::int64_t changeCount() const override { return 0; }
    std::optional<std::string> pngData() const override { return std::nullopt; }
    std::optional<std::string> tiffData() const override { return std::nullopt; }
    std::optional<std::string> string() const override { return std::nullopt; }
    bool isSecret() const override { return false; }
    void clearAndSetString(const std::string&) override {}
    void clearAndSetImage(const ImageOffer&) override {}
};

}  // namespace nimbrook
