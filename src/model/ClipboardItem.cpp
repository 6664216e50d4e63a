#include "model/ClipboardItem.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/RelativeTimeFormatter.h"
#include "platform/CharacterSet.h"
#include "platform/UnicodeText.h"
#include "platform/Utf8.h"

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

// A text grown by appending (the history reader's strings double as they grow) keeps up to
// twice its size allocated for as long as the entry lives.
std::string withoutSlack(std::string text) {
    if (text.capacity() - text.size() > text.size() / 32) {
        text.shrink_to_fit();
    }
    return text;
}

char asciiLowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The lower-cased NFC form of `canonical`, or nullopt when it is `canonical` with only its
// ASCII letters lowered: true of every ASCII text and of most others (Chinese has no case),
// which are then searched with ASCII case folded instead of being stored twice.
std::optional<std::string> lowercasedWhereNotAscii(std::string_view canonical) {
    if (utf8::isAscii(canonical)) {
        return std::nullopt;
    }
    std::string lowered = UnicodeText::lowercasedNfc(canonical);
    if (std::ranges::equal(lowered, canonical, {}, {}, asciiLowered)) {
        return std::nullopt;
    }
    return withoutSlack(std::move(lowered));
}

}  // namespace

struct ClipboardItem::Payload {
    Uuid id;
    std::string content;
    ContentType contentType;
    Timestamp timestamp;
    std::optional<std::string> sourceApp;
    // Only when they differ from what they derive from: most texts are in NFC already and
    // have no capitals beyond ASCII, and a full history would otherwise hold them twice.
    std::optional<std::string> canonicalContent;
    std::optional<std::string> lowercasedContent;
    std::optional<std::string> lowercasedSourceApp;
};

ClipboardItem::ClipboardItem(Uuid id, std::string content, ContentType contentType,
                             Timestamp timestamp, std::optional<std::string> sourceApp) {
    auto payload = std::make_shared<Payload>();
    payload->id = id;
    payload->content = withoutSlack(validUtf8(std::move(content)));
    payload->contentType = contentType;
    // Only a broken clock yields a time JSON cannot hold; kept as it is, it would fail every
    // later save of the history.
    payload->timestamp =
        std::isfinite(timestamp.secondsSinceReferenceDate) ? timestamp : Timestamp{0};
    payload->sourceApp = validUtf8(std::move(sourceApp));
    // A full history is made at start: most texts need neither form computed.
    if (!UnicodeText::isSettled(payload->content)) {
        std::string canonical = UnicodeText::nfc(payload->content);
        if (canonical != payload->content) {
            payload->canonicalContent = withoutSlack(std::move(canonical));
        }
        payload->lowercasedContent =
            lowercasedWhereNotAscii(payload->canonicalContent.value_or(payload->content));
    }
    if (payload->sourceApp) {
        const std::string canonical = UnicodeText::nfc(*payload->sourceApp);
        payload->lowercasedSourceApp = lowercasedWhereNotAscii(canonical);
        if (!payload->lowercasedSourceApp && canonical != *payload->sourceApp) {
            payload->lowercasedSourceApp = canonical;
        }
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

std::string_view ClipboardItem::searchableContent() const {
    return payload_->lowercasedContent ? *payload_->lowercasedContent : canonicalContent();
}

std::string_view ClipboardItem::searchableSourceApp() const {
    if (payload_->lowercasedSourceApp) {
        return *payload_->lowercasedSourceApp;
    }
    return payload_->sourceApp ? std::string_view(*payload_->sourceApp) : std::string_view();
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

ClipboardItem ClipboardItem::withPin(std::optional<Timestamp> moment) const {
    ClipboardItem result = *this;
    result.pinnedAt_ = moment;
    return result;
}

const RelativeTimeFormatter& ClipboardItem::relativeFormatter() {
    static const RelativeTimeFormatter formatter;
    return formatter;
}

}  // namespace nimbrook
