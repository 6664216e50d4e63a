#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Pasteboard.h"
#include "platform/x11/X11ClipboardReader.h"

class QClipboard;
class QMimeData;

namespace nimbrook {

// The CLIPBOARD selection on X11, PRIMARY never: read by an X11ClipboardReader on a thread of
// its own, so that an owner that never answers costs the caller's thread nothing, and written
// through the toolkit's clipboard, which answers other programs from memory.
//
// Reads answer from the offer that the last changeCount() call counted, so no answer mixes two
// offers; an offer of the program's own gives the text it wrote.
class X11Pasteboard final : public Pasteboard {
public:
    // `clipboard` must outlive this object. `onChange` runs on a thread of the reader's own
    // once changeCount() has moved.
    explicit X11Pasteboard(QClipboard& clipboard, X11SelectionConversion::Limits limits = {},
                           std::function<void()> onChange = {});

    bool isAvailable() const { return reader_.isConnected(); }
    std::int64_t changeCount() const override;
    std::optional<std::string> pngData() const override;
    std::optional<std::string> tiffData() const override;
    std::optional<std::string> string() const override;
    bool isSecret() const override;
    void clearAndSetString(const std::string& text) override;
    void clearAndSetImage(const ImageOffer& offer) override;
    void awaitAnnouncedChange(std::chrono::milliseconds bound) const override;

private:
    // Owned by the toolkit's clipboard once set.
    QMimeData* ownData(const std::string& text);

    QClipboard& clipboard_;
    std::string ownType_;
    X11ClipboardReader reader_;
    mutable std::shared_ptr<const X11Offer> counted_;
    std::string writtenText_;
};

}  // namespace nimbrook
