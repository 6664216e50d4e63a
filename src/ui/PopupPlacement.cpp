#include "ui/PopupPlacement.h"

#include <algorithm>

namespace nimbrook {

namespace {

// Lowest coordinate at which a span of `length` starting there stays within
// [low, low + range); the low end wins when the span is longer than the range.
int clampedStart(int start, int length, int low, int range) {
    return std::max(low, std::min(start, low + range - length));
}

}  // namespace

QRect PopupPlacement::geometry(QSize size, const QRect& iconGeometry, QPoint pointer,
                               const QRect& availableGeometry) {
    const QRect anchor = iconGeometry.isValid() && !iconGeometry.isEmpty()
                             ? iconGeometry
                             : QRect(pointer, QSize(1, 1));
    const QRect& area = availableGeometry;

    const int roomBelow = area.bottom() - anchor.bottom();
    const int roomAbove = anchor.top() - area.top();
    int y = 0;
    if (roomBelow >= size.height() || (roomAbove < size.height() && roomBelow >= roomAbove)) {
        y = anchor.bottom() + 1;
    } else {
        y = anchor.top() - size.height();
    }
    const int x = anchor.center().x() - size.width() / 2;

    return {QPoint(clampedStart(x, size.width(), area.left(), area.width()),
                   clampedStart(y, size.height(), area.top(), area.height())),
            size};
}

}  // namespace nimbrook
