#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "model/ClipboardItem.h"
#include "model/Timestamp.h"

namespace nimbrook {

// The two orders of a history with pinned entries. Shown, as the program holds it: the
// pinned entries first, the latest pin first, then the others newest first. Stored, as the
// history file keeps it: newest first, each pinned entry where the moment it was pinned
// stands among the others, so that a reader that knows nothing of pins sees the history in
// time order and the file still tells the order of the pins.
class PinnedOrder final {
public:
    // The shown order of a stored list: the pinned entries taken out in their order, each
    // given as its pin time the time of the first entry after it that is not pinned (the
    // lowest time when none is), never less than the pin time of a pinned entry after it.
    static std::vector<ClipboardItem> shown(std::vector<ClipboardItem> stored);
    // The stored order of a shown list, with every pinned entry but only the first
    // historyLimit others: a pinned entry comes before the first other entry that is newer
    // than its pin; the pinned ones that no other entry follows come last.
    static std::vector<ClipboardItem> stored(std::span<const ClipboardItem> shown);

    // How many pinned entries lead `items`.
    static std::size_t pinnedCount(std::span<const ClipboardItem> items);
    // Where an entry of time `moment` that is not pinned stands in a shown list: after the
    // pinned entries and the others that are not older.
    static std::size_t placeOf(std::span<const ClipboardItem> items, Timestamp moment);
    // Drops from a shown list the entries past historyLimit that are not pinned; returns how
    // many it dropped (they stood at the end).
    static std::size_t trim(std::vector<ClipboardItem>& items);
};

}  // namespace nimbrook
