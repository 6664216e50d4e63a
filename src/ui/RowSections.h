#pragma once

#include <QModelIndex>
#include <QRect>

class QPainter;

namespace nimbrook {

class ItemRowPainter;

// The two parts of the history list: the pinned rows, which come first, and the others. The
// first pinned row carries the section label above its entry, the last pinned row that other
// rows follow carries the section divider below it.
class RowSections final {
public:
    // The part of the row at `index`, of the whole rectangle `rect`, that shows its entry.
    static QRect entryRect(const QRect& rect, const QModelIndex& index);
    // How much taller the bands make the row at `index` than its entry.
    static int bandsHeight(const QModelIndex& index);
    // Paints the bands of the row at `index` whose whole rectangle is `rect`; returns the part
    // left for the entry.
    static QRect paintBands(QPainter& painter, const ItemRowPainter& rows, const QRect& rect,
                            const QModelIndex& index);
    static bool isPinned(const QModelIndex& index);
};

}  // namespace nimbrook
