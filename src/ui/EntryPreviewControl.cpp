#include "ui/EntryPreviewControl.h"

#include <QListView>
#include <QMouseEvent>
#include <QScreen>

#include "ui/EntryPreview.h"
#include "ui/HistoryListModel.h"
#include "ui/PreviewLayout.h"

namespace nimbrook {

EntryPreviewControl::EntryPreviewControl(WorkQueue& workQueue, HistoryListModel& model,
                                         QListView& list, QWidget& panel)
    : QObject(&panel),
      model_(model),
      list_(list),
      panel_(panel),
      preview_(new EntryPreview(workQueue, &panel)) {
    rest_.setSingleShot(true);
    rest_.setInterval(restDelay);
    connect(&rest_, &QTimer::timeout, this, &EntryPreviewControl::pointerRested);
    list_.viewport()->installEventFilter(this);
}

bool EntryPreviewControl::isOpen() const {
    return preview_->isVisible();
}

void EntryPreviewControl::open(const QModelIndex& row) {
    show(row, false);
}

void EntryPreviewControl::follow(const QModelIndex& row) {
    if (isOpen() && !openedByPointer_ && row != shownRow_) {
        show(row, false);
    }
}

bool EntryPreviewControl::close() {
    rest_.stop();
    const bool wasOpen = isOpen();
    preview_->hide();
    shownRow_ = QPersistentModelIndex();
    return wasOpen;
}

void EntryPreviewControl::show(const QModelIndex& row, bool byPointer) {
    const ClipboardItem* entry = model_.item(row.row());
    if (!row.isValid() || entry == nullptr) {
        close();
        return;
    }
    openedByPointer_ = byPointer;
    shownRow_ = row;
    const QWidget* window = panel_.window();
    const QScreen* screen = window->screen();
    preview_->showEntry(*entry, window->frameGeometry(),
                        screen != nullptr ? screen->availableGeometry() : window->frameGeometry());
}

bool EntryPreviewControl::isOnPreview(const QModelIndex& row, const QPoint& position) const {
    const QRect rect = list_.visualRect(row);
    return row.isValid() &&
           rows_.previewRect(rect, PreviewLayout::maxLines).intersected(rect).contains(position);
}

void EntryPreviewControl::pointerMoved(const QPoint& position) {
    const QModelIndex row = list_.indexAt(position);
    if (openedByPointer_ && isOpen() && row != shownRow_) {
        close();
    }
    restingAt_ = position;
    if (isOnPreview(row, position)) {
        rest_.start();
    } else {
        rest_.stop();
    }
}

void EntryPreviewControl::pointerRested() {
    const QModelIndex row = list_.indexAt(restingAt_);
    if (isOnPreview(row, restingAt_) && !(isOpen() && row == shownRow_)) {
        show(row, true);
    }
}

bool EntryPreviewControl::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
            pointerMoved(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::Leave:
        case QEvent::Hide:
            rest_.stop();
            if (openedByPointer_) {
                close();
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace nimbrook
