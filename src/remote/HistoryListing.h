#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/ClipboardItem.h"
#include "model/Timestamp.h"
#include "remote/ReplyBody.h"

namespace nimbrook {

// The history as the command line prints it. Entries are numbered from 1 as the panel shows
// them (the pinned ones first), by their place in the whole history, also when a search
// lists only some of them. A listing is
// a body that holds the entries it lists and makes its bytes as they are sent.
class HistoryListing final {
public:
    // One line per entry: number, type label, relative time, source application ("-" when
    // unknown), "置顶" for a pinned entry ("-" for the others) and preview, last so that a
    // script takes it after the last tab, separated by tabs; the preview and the application name
    // hold no tab, line break or control character, so one entry stays one line and a copied escape
    // sequence never reaches the terminal.
    static std::shared_ptr<ReplyBody> text(const std::vector<ClipboardItem>& items,
                                           const std::vector<std::size_t>& indexes, Timestamp now);
    // A JSON array, one object per line: "index", "id", "type" (the raw value), "timestamp"
    // (ISO 8601, UTC, milliseconds), "sourceApp" (null when unknown), "pinned" (a boolean)
    // and "content", or "path" for an image entry.
    static std::shared_ptr<ReplyBody> json(const std::vector<ClipboardItem>& items,
                                           const std::vector<std::size_t>& indexes);

    // "2023-11-14T22:13:20.000Z"; moments outside the years 0 to 9999 are clamped to them.
    static std::string isoTimestamp(Timestamp moment);
    // `text` on one line: every run of white space, line breaks and control characters
    // becomes one space, and the ends are trimmed.
    static std::string oneLine(std::string_view text);
};

}  // namespace nimbrook
