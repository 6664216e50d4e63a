#include "model/HistoryChange.h"

#include <algorithm>
#include <utility>

#include "model/HistoryLimit.h"

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

void HistoryChange::applyTo(std::vector<ClipboardItem>& items) const {
    switch (kind_) {
        case Kind::insertion:
            if (!holds(items, item_->id())) {
                items.insert(items.begin(), *item_);
                if (items.size() > historyLimit) {
                    items.erase(items.begin() + static_cast<std::ptrdiff_t>(historyLimit),
                                items.end());
                }
            }
            return;
        case Kind::replacement:
            // Neither there: the new entry was removed later, and so is the old one.
            if (!holds(items, item_->id())) {
                const auto replaced = std::ranges::find(items, id_, &ClipboardItem::id);
                if (replaced != items.end()) {
                    *replaced = *item_;
                }
            }
            return;
        case Kind::removal:
            std::erase_if(items, [this](const ClipboardItem& each) { return each.id() == id_; });
            return;
        case Kind::clearing:
            items.clear();
            return;
    }
}

}  // namespace nimbrook
