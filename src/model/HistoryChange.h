#pragma once

#include <optional>
#include <vector>

#include "model/ClipboardItem.h"
#include "model/Uuid.h"

namespace nimbrook {

// One change that the program made to the history, as the journal keeps it: an entry put
// on top (which drops the oldest past the limit), an entry put in another's place, an entry
// removed, or every entry removed.
class HistoryChange final {
public:
    enum class Kind { insertion, replacement, removal, clearing };

    static HistoryChange insertion(ClipboardItem item);
    static HistoryChange replacement(const Uuid& replacedId, ClipboardItem item);
    static HistoryChange removal(const Uuid& id);
    static HistoryChange clearing();

    Kind kind() const { return kind_; }
    // The entry put in: for an insertion and a replacement.
    const std::optional<ClipboardItem>& item() const { return item_; }
    // The entry taken out: for a replacement and a removal.
    const Uuid& id() const { return id_; }

    // Brings `items` to what the change made of them, also when `items` already holds the
    // change and some of the changes that followed it (a history file saved after it):
    // an entry already there is neither put in again nor moved, and what is not there is
    // not removed. Replaying the changes in order onto a history saved before, amid or after
    // them thus gives the history after them, each entry once.
    void applyTo(std::vector<ClipboardItem>& items) const;

private:
    HistoryChange(Kind kind, std::optional<ClipboardItem> item, const Uuid& id)
        : kind_(kind), item_(std::move(item)), id_(id) {}

    Kind kind_;
    std::optional<ClipboardItem> item_;
    Uuid id_;
};

}  // namespace nimbrook
