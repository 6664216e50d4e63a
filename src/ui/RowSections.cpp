#include "ui/RowSections.h"

#include "ui/HistoryListModel.h"
#include "ui/ItemRowPainter.h"

namespace nimbrook {

namespace {

struct Bands {
    bool label = false;
    bool divider = false;
};

Bands bandsOf(const QModelIndex& index) {
    if (!RowSections::isPinned(index)) {
        return {};
    }
    const QModelIndex next = index.siblingAtRow(index.row() + 1);
    return {index.row() == 0, next.isValid() && !RowSections::isPinned(next)};
}

}  // namespace

bool RowSections::isPinned(const QModelIndex& index) {
    return index.isValid() && index.data(HistoryListModel::PinnedRole).toBool();
}

QRect RowSections::entryRect(const QRect& rect, const QModelIndex& index) {
    const Bands bands = bandsOf(index);
    return rect.adjusted(0, bands.label ? ItemRowPainter::sectionLabelHeight : 0, 0,
                         bands.divider ? -ItemRowPainter::sectionDividerHeight : 0);
}

int RowSections::bandsHeight(const QModelIndex& index) {
    const Bands bands = bandsOf(index);
    return (bands.label ? ItemRowPainter::sectionLabelHeight : 0) +
           (bands.divider ? ItemRowPainter::sectionDividerHeight : 0);
}

QRect RowSections::paintBands(QPainter& painter, const ItemRowPainter& rows, const QRect& rect,
                              const QModelIndex& index) {
    const QRect entry = entryRect(rect, index);
    if (entry.top() > rect.top()) {
        rows.paintSectionLabel(painter,
                               QRect(rect.topLeft(), QPoint(rect.right(), entry.top() - 1)));
    }
    if (entry.bottom() < rect.bottom()) {
        ItemRowPainter::paintSectionDivider(
            painter, QRect(QPoint(rect.left(), entry.bottom() + 1), rect.bottomRight()));
    }
    return entry;
}

}  // namespace nimbrook
