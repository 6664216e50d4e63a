#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/ContentType.h"
#include "model/Timestamp.h"
#include "model/Uuid.h"

namespace nimbrook {

class RelativeTimeFormatter;

// One entry of the history: immutable, equal by id alone. Copies share the payload,
// so snapshots of a full history are cheap, and the forms that hot paths need
// (canonical and searchable content) are computed once per entry and stored only where
// they differ from the content: a full history holds each text once.
class ClipboardItem final {
public:
    // Takes the five fields as given. Content and source name that are not valid UTF-8 have
    // each invalid sequence replaced by U+FFFD, so every entry can be normalised, searched and
    // written to the history file; valid text is kept byte for byte. A timestamp that is not
    // finite is stored as 0 (the reference date), so every entry can be saved.
    ClipboardItem(Uuid id, std::string content, ContentType contentType, Timestamp timestamp,
                  std::optional<std::string> sourceApp);

    const Uuid& id() const;
    const std::string& content() const;
    ContentType contentType() const;
    Timestamp timestamp() const;
    const std::optional<std::string>& sourceApp() const;

    // Content in NFC: two contents are canonically equal exactly when these are byte-equal.
    const std::string& canonicalContent() const;
    // A text that, with its ASCII capitals read as lower case, is the content in
    // UnicodeText::lowercasedNfc form: search it with SubstringSearch::containsIgnoringAsciiCase.
    std::string_view searchableContent() const;
    // The same for the source name; empty when absent.
    std::string_view searchableSourceApp() const;

    // Content without white space and newlines at both ends; "(空)" when nothing is left;
    // longer than 120 extended grapheme clusters: the first 120 followed by "…".
    std::string preview() const;

    // The one relative-time formatter of the program ("zh_CN", short style), created on first
    // use; safe to call from any thread.
    static const RelativeTimeFormatter& relativeFormatter();

    // A pinned entry is never trimmed and is shown above the others, the latest pin first.
    bool isPinned() const { return pinnedAt_.has_value(); }
    // When it was pinned; for an entry read from the history file, which keeps no such time,
    // the time its place in the file stands for (PinnedOrder). Meaningless when not pinned.
    Timestamp pinnedAt() const { return pinnedAt_.value_or(Timestamp{}); }
    // The same entry, id and payload shared, pinned at `moment` or, with nullopt, not pinned.
    ClipboardItem withPin(std::optional<Timestamp> moment) const;

    bool operator==(const ClipboardItem& other) const { return id() == other.id(); }

private:
    struct Payload;
    std::shared_ptr<const Payload> payload_;
    // Outside the payload: pinning changes an entry that other snapshots share.
    std::optional<Timestamp> pinnedAt_;
};

}  // namespace nimbrook
