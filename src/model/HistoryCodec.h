#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ClipboardItem.h"

namespace nimbrook {

// The bytes of the history file: a compact JSON array of entry objects with the members
// "id", "content", "contentType", "timestamp" and "sourceApp", and "pinned":true after them
// for a pinned entry, in the order PinnedOrder stores.
class HistoryCodec final {
public:
    // Every item, in order, members in the order above; "/" written as "\/", text outside
    // ASCII as UTF-8, the timestamp as the shortest number that reads back to the same
    // double, "sourceApp" left out when absent, "pinned" only when pinned.
    static std::string encode(std::span<const ClipboardItem> items);
    // The same bytes handed to `write` in pieces of about 64 KB, so that no more than one
    // entry is held besides the items. An exception thrown by `write` ends the encoding.
    static void encode(std::span<const ClipboardItem> items,
                       const std::function<void(std::string_view)>& write);

    // The list the bytes hold, unchanged in order and length; nullopt when any part of them is
    // not a valid history: not strict JSON in UTF-8 (a byte-order mark, a NUL byte or anything
    // but white space after the array included), not an array at the top, an entry that is
    // not an object, a required member missing or of the wrong type, a malformed "id", a
    // "contentType" other than the six raw values, a "sourceApp" neither string nor null.
    // Members may come in any order; unknown members are ignored whatever they hold. An entry
    // is pinned when its last "pinned" member is true; any other value leaves it unpinned.
    static std::optional<std::vector<ClipboardItem>> decode(std::string_view bytes);
    // The same, read from `stream` to its end as it is parsed, so that the bytes are never
    // held whole. A read error looks like the end of the input: the caller that can have one
    // checks for it.
    static std::optional<std::vector<ClipboardItem>> decode(std::istream& stream);

    // One entry object exactly as `encode` writes it inside the array, appended to `bytes`.
    static void appendEntry(std::string& bytes, const ClipboardItem& item);
    // The entry that `bytes` hold as one object with nothing else but white space around it,
    // by the rules of decode; nullopt for anything else (an array of one entry included).
    static std::optional<ClipboardItem> decodeEntry(std::string_view bytes);
};

}  // namespace nimbrook
