#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ClipboardItem.h"

namespace nimbrook {

// The bytes of the history file: a compact JSON array of entry objects with the members
// "id", "content", "contentType", "timestamp" and "sourceApp", newest entry first.
class HistoryCodec final {
public:
    // Every item, in order, members in the order above; "/" written as "\/", text outside
    // ASCII as UTF-8, the timestamp as the shortest number that reads back to the same
    // double, "sourceApp" left out when absent.
    static std::string encode(std::span<const ClipboardItem> items);

    // The list the bytes hold, unchanged in order and length; nullopt when any part of them is
    // not a valid history: not strict JSON in UTF-8 (a byte-order mark, a NUL byte or anything
    // but white space after the array included), not an array at the top, an entry that is
    // not an object, a required member missing or of the wrong type, a malformed "id", a
    // "contentType" other than the six raw values, a "sourceApp" neither string nor null.
    // Members may come in any order; unknown members are ignored whatever they hold.
    static std::optional<std::vector<ClipboardItem>> decode(std::string_view bytes);
};

}  // namespace nimbrook
