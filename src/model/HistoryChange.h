#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "model/ClipboardItem.h"
#include "model/Timestamp.h"
#include "model/Uuid.h"

namespace nimbrook {

// One change that the program made to the history (in its shown order, PinnedOrder), as the
// journal keeps it: an entry put on top of those not pinned (which drops the oldest past the
// limit), an entry put in another's place (and pin), an entry removed, every entry but the
// pinned ones removed, an entry pinned (put on top) or unpinned (put back by its time).
class HistoryChange final {
public:
    enum class Kind { insertion, replacement, removal, clearing, pinning, unpinning };

    static HistoryChange insertion(ClipboardItem item);
    static HistoryChange replacement(const Uuid& replacedId, ClipboardItem item);
    static HistoryChange removal(const Uuid& id);
    static HistoryChange clearing();
    static HistoryChange pinning(const Uuid& id, Timestamp moment);
    static HistoryChange unpinning(const Uuid& id);

    Kind kind() const { return kind_; }
    // The entry put in: for an insertion and a replacement.
    const std::optional<ClipboardItem>& item() const { return item_; }
    // The entry taken out: for a replacement and a removal; the one pinned or unpinned.
    const Uuid& id() const { return id_; }
    // When the entry was pinned: for a pinning.
    Timestamp moment() const { return moment_; }

    // Brings `items` to what the change made of them, also when `items` already holds the
    // change and some of the changes that followed it (a history file saved after it):
    // an entry already there is neither put in again nor moved, and what is not there is
    // not removed. Replaying the changes in order onto a history saved before, amid or after
    // them thus gives the history after them, each entry once.
    void applyTo(std::vector<ClipboardItem>& items) const;

private:
    HistoryChange(Kind kind, std::optional<ClipboardItem> item, const Uuid& id,
                  Timestamp moment = {})
        : kind_(kind), item_(std::move(item)), id_(id), moment_(moment) {}

    void insertInto(std::vector<ClipboardItem>& items) const;
    void replaceIn(std::vector<ClipboardItem>& items) const;
    void pinIn(std::vector<ClipboardItem>& items) const;
    void unpinIn(std::vector<ClipboardItem>& items) const;

    Kind kind_;
    std::optional<ClipboardItem> item_;
    Uuid id_;
    Timestamp moment_;
};

}  // namespace nimbrook
