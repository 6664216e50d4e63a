#include "model/ClipboardItem.h"

#include <cmath>
#include <utility>

#include "model/RelativeTimeFormatter.h"
#include "platform/CharacterSet.h"
#include "platform/UnicodeText.h"

namespace nimbrook {

namespace {

constexpr std::size_t previewGraphemes = 120;
constexpr std::string_view ellipsis = "…";
constexpr std::string_view blankPreview = "(空)";

std::string validUtf8(std::string text) {
    if (UnicodeText::isValidUtf8(text)) {
        return text;
    }
    return UnicodeText::repairedUtf8(text);
}

std::optional<std::string> validUtf8(std::optional<std::string> text) {
    if (!text) {
        return std::nullopt;
    }
    return validUtf8(std::move(*text));
}

}  // namespace

struct ClipboardItem::Payload {
    Uuid id;
    std::string content;
    ContentType contentType;
    Timestamp timestamp;
    std::optional<std::string> sourceApp;
    // Only when it differs from `content`: most texts are in NFC already, and a full
    // history would otherwise hold every text twice.
    std::optional<std::string> canonicalContent;
    std::string searchableContent;
    std::string searchableSourceApp;
};

ClipboardItem::ClipboardItem(Uuid id, std::string content, ContentType contentType,
                             Timestamp timestamp, std::optional<std::string> sourceApp) {
    auto payload = std::make_shared<Payload>();
    payload->id = id;
    payload->content = validUtf8(std::move(content));
    payload->contentType = contentType;
    // Only a broken clock yields a time JSON cannot hold; kept as it is, it would fail every
    // later save of the history.
    payload->timestamp =
        std::isfinite(timestamp.secondsSinceReferenceDate) ? timestamp : Timestamp{0};
    payload->sourceApp = validUtf8(std::move(sourceApp));
    std::string canonical = UnicodeText::nfc(payload->content);
    payload->searchableContent = UnicodeText::lowercasedNfc(canonical);
    if (canonical != payload->content) {
        payload->canonicalContent = std::move(canonical);
    }
    if (payload->sourceApp) {
        payload->searchableSourceApp =
            UnicodeText::lowercasedNfc(UnicodeText::nfc(*payload->sourceApp));
    }
    payload_ = std::move(payload);
}

const Uuid& ClipboardItem::id() const {
    return payload_->id;
}

const std::string& ClipboardItem::content() const {
    return payload_->content;
}

ContentType ClipboardItem::contentType() const {
    return payload_->contentType;
}

Timestamp ClipboardItem::timestamp() const {
    return payload_->timestamp;
}

const std::optional<std::string>& ClipboardItem::sourceApp() const {
    return payload_->sourceApp;
}

const std::string& ClipboardItem::canonicalContent() const {
    return payload_->canonicalContent ? *payload_->canonicalContent : payload_->content;
}

const std::string& ClipboardItem::searchableContent() const {
    return payload_->searchableContent;
}

const std::string& ClipboardItem::searchableSourceApp() const {
    return payload_->searchableSourceApp;
}

std::string ClipboardItem::preview() const {
    std::string trimmed =
        CharacterSets::trimmed(payload_->content, CharacterSet::whitespaceAndNewlines);
    if (trimmed.empty()) {
        return std::string(blankPreview);
    }
    // Only the first 120 clusters are ever looked at, so a huge entry previews as fast as a
    // short one: the prefix is the whole text exactly when the text has at most 120.
    std::string prefix = UnicodeText::graphemePrefix(trimmed, previewGraphemes);
    if (prefix.size() == trimmed.size()) {
        return trimmed;
    }
    prefix += ellipsis;
    return prefix;
}

const RelativeTimeFormatter& ClipboardItem::relativeFormatter() {
    static const RelativeTimeFormatter formatter;
    return formatter;
}

}  // namespace nimbrook
