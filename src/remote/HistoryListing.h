#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/ClipboardItem.h"
#include "model/Timestamp.h"

namespace nimbrook {

// The history as the command line prints it. Entries are numbered from 1, newest first, by
// their place in the whole history, also when a search lists only some of them.
class HistoryListing final {
public:
    // One line per entry: number, type label, relative time, source application ("-" when
    // unknown) and preview, separated by tabs; the preview and the application name hold
    // no tab, line break or control character, so one entry stays one line and a copied
    // escape sequence never reaches the terminal.
    static std::string text(const std::vector<ClipboardItem>& items,
                            const std::vector<std::size_t>& indexes, Timestamp now);
    // A JSON array, one object per line: "index", "id", "type" (the raw value), "timestamp"
    // (ISO 8601, UTC, milliseconds), "sourceApp" (null when unknown) and "content", or
    // "path" for an image entry.
    static std::string json(const std::vector<ClipboardItem>& items,
                            const std::vector<std::size_t>& indexes);

    // "2023-11-14T22:13:20.000Z"; moments outside the years 0 to 9999 are clamped to them.
    static std::string isoTimestamp(Timestamp moment);
    // `text` on one line: every run of white space, line breaks and control characters
    // becomes one space, and the ends are trimmed.
    static std::string oneLine(std::string_view text);
};

}  // namespace nimbrook
