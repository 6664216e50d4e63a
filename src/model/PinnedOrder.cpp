#include "model/PinnedOrder.h"

#include <algorithm>
#include <limits>

#include "model/HistoryLimit.h"

namespace nimbrook {

namespace {

constexpr Timestamp lowest{std::numeric_limits<double>::lowest()};

}  // namespace

std::vector<ClipboardItem> PinnedOrder::shown(std::vector<ClipboardItem> stored) {
    Timestamp below = lowest;
    for (auto each = stored.rbegin(); each != stored.rend(); ++each) {
        if (each->isPinned()) {
            // Walking from the oldest, so a pin earlier in the file is never older.
            below = std::max(below, each->pinnedAt());
            *each = each->withPin(below);
        } else {
            below = std::max(below, each->timestamp());
        }
    }
    // The iterator form: clang cannot yet compile the ranges one against this standard library.
    std::stable_partition(stored.begin(), stored.end(),
                          [](const ClipboardItem& each) { return each.isPinned(); });
    return stored;
}

std::vector<ClipboardItem> PinnedOrder::stored(std::span<const ClipboardItem> shown) {
    std::vector<ClipboardItem> pinned;
    std::vector<ClipboardItem> others;
    for (const ClipboardItem& each : shown) {
        if (each.isPinned()) {
            pinned.push_back(each);
        } else if (others.size() < historyLimit) {
            others.push_back(each);
        }
    }
    std::vector<ClipboardItem> result;
    result.reserve(pinned.size() + others.size());
    auto pin = pinned.begin();
    for (const ClipboardItem& other : others) {
        for (; pin != pinned.end() && pin->pinnedAt() >= other.timestamp(); ++pin) {
            result.push_back(*pin);
        }
        result.push_back(other);
    }
    result.insert(result.end(), pin, pinned.end());
    return result;
}

std::size_t PinnedOrder::pinnedCount(std::span<const ClipboardItem> items) {
    const auto firstOther = std::ranges::find_if_not(items, &ClipboardItem::isPinned);
    return static_cast<std::size_t>(firstOther - items.begin());
}

std::size_t PinnedOrder::placeOf(std::span<const ClipboardItem> items, Timestamp moment) {
    const auto others = items.subspan(pinnedCount(items));
    const auto older = std::ranges::find_if(
        others, [moment](const ClipboardItem& each) { return each.timestamp() < moment; });
    return items.size() - others.size() + static_cast<std::size_t>(older - others.begin());
}

std::size_t PinnedOrder::trim(std::vector<ClipboardItem>& items) {
    const std::size_t kept = pinnedCount(items) + historyLimit;
    if (items.size() <= kept) {
        return 0;
    }
    const std::size_t removed = items.size() - kept;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(kept), items.end());
    return removed;
}

}  // namespace nimbrook
