#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QTimer>
#include <chrono>

#include "ui/ItemRowPainter.h"

class QListView;
class QWidget;

namespace nimbrook {

class EntryPreview;
class HistoryListModel;
class WorkQueue;

// When the panel's entry preview shows and what: opened by the keyboard on the selected row,
// it follows the selection; opened by the pointer resting on a row's preview, it goes as the
// pointer leaves that row.
class EntryPreviewControl final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds restDelay{500};

    // `panel` is the widget the preview stands beside; `list` shows `model`'s rows.
    EntryPreviewControl(WorkQueue& workQueue, HistoryListModel& model, QListView& list,
                        QWidget& panel);

    // Shows the entry of `row` (nothing for an invalid one), to follow the selection.
    void open(const QModelIndex& row);
    // Shows `row` instead when a preview opened by the keyboard is open.
    void follow(const QModelIndex& row);
    // Closes the preview; false when none was open.
    bool close();
    bool isOpen() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(const QModelIndex& row, bool byPointer);
    void pointerMoved(const QPoint& position);
    void pointerRested();
    bool isOnPreview(const QModelIndex& row, const QPoint& position) const;

    HistoryListModel& model_;
    QListView& list_;
    QWidget& panel_;
    EntryPreview* preview_ = nullptr;
    ItemRowPainter rows_;
    QTimer rest_;
    QPoint restingAt_;
    QPersistentModelIndex shownRow_;
    bool openedByPointer_ = false;
};

}  // namespace nimbrook
