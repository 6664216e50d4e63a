#include "ui/HistoryListContent.h"

#include <QListView>
#include <QScrollBar>

#include "ui/ClipboardItemRow.h"
#include "ui/EmptyState.h"
#include "ui/HistoryListModel.h"
#include "ui/Theme.h"

namespace nimbrook {

HistoryListContent::HistoryListContent(HistoryListModel& model, ClipboardItemRow& rows,
                                       QWidget* parent)
    : QStackedWidget(parent) {
    setObjectName(QStringLiteral("listContent"));

    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("historyList"));
    list_->setAccessibleName(QStringLiteral("剪贴板历史"));
    list_->setModel(&model);
    list_->setItemDelegate(&rows);
    list_->setFrameShape(QFrame::NoFrame);
    // The panel's own selection and the rows' hover stand in for the view's.
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rows.trackHover(*list_);
    list_->setResizeMode(QListView::Adjust);
    addWidget(list_);

    emptyState_ = new EmptyState(this);
    addWidget(emptyState_);
}

void HistoryListContent::applyTheme(const Theme& theme) {
    QPalette listPalette = list_->palette();
    listPalette.setColor(QPalette::Base, Qt::transparent);
    list_->setPalette(listPalette);
    // A thin rounded thumb on no track, without arrow buttons, in the label greys.
    list_->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 8px; margin: 2px;"
                       " border: none; }"
                       " QScrollBar::handle:vertical { background: %1; border-radius: 2px;"
                       " min-height: 24px; }"
                       " QScrollBar::handle:vertical:hover { background: %2; }"
                       " QScrollBar::add-line, QScrollBar::sub-line { height: 0; border: none; }"
                       " QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
            .arg(theme.color(NamedColor::tertiaryLabel).name(QColor::HexArgb),
                 theme.color(NamedColor::secondaryLabel).name(QColor::HexArgb)));
    emptyState_->applyTheme(theme);
}

void HistoryListContent::showEmptyState(bool empty) {
    setCurrentWidget(empty ? static_cast<QWidget*>(emptyState_) : list_);
}

}  // namespace nimbrook
