#include "model/HistoryChange.h"

#include <algorithm>
#include <utility>

#include "model/PinnedOrder.h"

namespace nimbrook {

namespace {

bool holds(const std::vector<ClipboardItem>& items, const Uuid& id) {
    return std::ranges::find(items, id, &ClipboardItem::id) != items.end();
}

}  // namespace

HistoryChange HistoryChange::insertion(ClipboardItem item) {
    const Uuid id = item.id();
    return HistoryChange(Kind::insertion, std::move(item), id);
}

HistoryChange HistoryChange::replacement(const Uuid& replacedId, ClipboardItem item) {
    return HistoryChange(Kind::replacement, std::move(item), replacedId);
}

HistoryChange HistoryChange::removal(const Uuid& id) {
    return HistoryChange(Kind::removal, std::nullopt, id);
}

HistoryChange HistoryChange::clearing() {
    return HistoryChange(Kind::clearing, std::nullopt, Uuid());
}

HistoryChange HistoryChange::pinning(const Uuid& id, Timestamp moment) {
    return HistoryChange(Kind::pinning, std::nullopt, id, moment);
}

HistoryChange HistoryChange::unpinning(const Uuid& id) {
    return HistoryChange(Kind::unpinning, std::nullopt, id);
}

void HistoryChange::applyTo(std::vector<ClipboardItem>& items) const {
    switch (kind_) {
        case Kind::insertion:
            insertInto(items);
            return;
        case Kind::replacement:
            replaceIn(items);
            return;
        case Kind::removal:
            std::erase_if(items, [this](const ClipboardItem& each) { return each.id() == id_; });
            return;
        case Kind::clearing:
            items.erase(
                items.begin() + static_cast<std::ptrdiff_t>(PinnedOrder::pinnedCount(items)),
                items.end());
            return;
        case Kind::pinning:
            pinIn(items);
            return;
        case Kind::unpinning:
            unpinIn(items);
            return;
    }
}

void HistoryChange::insertInto(std::vector<ClipboardItem>& items) const {
    if (!holds(items, item_->id())) {
        const auto top = static_cast<std::ptrdiff_t>(PinnedOrder::pinnedCount(items));
        items.insert(items.begin() + top, item_->withPin(std::nullopt));
        PinnedOrder::trim(items);
    }
}

// The new entry keeps the place and the pin of the one it replaces. Neither there: the new
// entry was removed later, and so is the old one.
void HistoryChange::replaceIn(std::vector<ClipboardItem>& items) const {
    if (!holds(items, item_->id())) {
        const auto replaced = std::ranges::find(items, id_, &ClipboardItem::id);
        if (replaced != items.end()) {
            const ClipboardItem& old = *replaced;
            *replaced =
                item_->withPin(old.isPinned() ? std::optional(old.pinnedAt()) : std::nullopt);
        }
    }
}

// An entry pinned already is left where it is: the history holds this pin or a later one.
void HistoryChange::pinIn(std::vector<ClipboardItem>& items) const {
    const auto found = std::ranges::find(items, id_, &ClipboardItem::id);
    if (found == items.end() || found->isPinned()) {
        return;
    }
    const ClipboardItem pinned = found->withPin(moment_);
    items.erase(found);
    items.insert(items.begin(), pinned);
}

void HistoryChange::unpinIn(std::vector<ClipboardItem>& items) const {
    const auto found = std::ranges::find(items, id_, &ClipboardItem::id);
    if (found == items.end() || !found->isPinned()) {
        return;
    }
    const ClipboardItem unpinned = found->withPin(std::nullopt);
    items.erase(found);
    const std::size_t place = PinnedOrder::placeOf(items, unpinned.timestamp());
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(place), unpinned);
}

}  // namespace nimbrook
