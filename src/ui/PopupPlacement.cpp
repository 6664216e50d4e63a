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

QRect PopupPlacement::beside(QSize size, const QRect& panel, const QRect& availableGeometry) {
    const QRect& area = availableGeometry;
    const int roomRight = area.right() - panel.right();
    const int roomLeft = panel.left() - area.left();
    const bool right =
        roomRight >= size.width() || (roomLeft < size.width() && roomRight >= roomLeft);
    const int x = right ? panel.right() + 1 : panel.left() - size.width();
    return {QPoint(clampedStart(x, size.width(), area.left(), area.width()),
                   clampedStart(panel.top(), size.height(), area.top(), area.height())),
            size};
}

}  // namespace nimbrook
