#pragma once

#include <QAbstractListModel>
#include <optional>
#include <vector>

#include "controller/ClipboardViewModelObserver.h"
#include "model/ClipboardItem.h"
#include "model/Timestamp.h"
#include "model/Uuid.h"

namespace nimbrook {

class ClipboardViewModel;

// The controller's filteredItems as a list model. With no search active the rows are the
// controller's own items and single insertions, removals and replacements are forwarded as
// such, so a capture relayouts one row; while searching, every change resets the model.
class HistoryListModel final : public QAbstractListModel, private ClipboardViewModelObserver {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,  // QString, the entry's id
        PreviewRole,                // QString, ClipboardItem::preview()
        ContentTypeRole,            // int, a ContentType
        SourceAppRole,              // QString, or an invalid QVariant when absent
        CopiedRole,                 // bool, whether the copied highlight is on this row
        RelativeTimeRole,           // QString, the timestamp relative to the list's now
        BusyRole,                   // bool, whether a conversion of the entry runs
        PinnedRole,                 // bool, whether the entry is pinned
    };

    explicit HistoryListModel(ClipboardViewModel& viewModel, QObject* parent = nullptr);
    ~HistoryListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The entry shown at `row`, or nullptr when there is no such row.
    const ClipboardItem* item(int row) const;
    // Reads the controller's clock for the moment every row's relative time is counted from.
    // Rows come and go with it; a view that repaints all rows for a newer time calls it first.
    void refreshNow();

private:
    void itemsInserted(std::size_t first, std::size_t count) override;
    void itemsRemoved(std::size_t first, std::size_t count) override;
    void itemReplaced(std::size_t index) override;
    void itemsReset() override;
    void searchTextChanged() override;
    void monitoringChanged() override {}
    void copiedFlashChanged() override;
    void toastMessageChanged() override {}
    void itemBusyChanged(std::size_t index) override;

    bool isFiltering() const;
    void reset();
    void emitChanged(const std::optional<Uuid>& id, int role);

    ClipboardViewModel& viewModel_;
    // Only while a search is active; empty otherwise (the rows are then items()).
    std::vector<ClipboardItem> filtered_;
    // The row count the views were last told; items() already holds the new state when
    // the controller reports a change, so the count must not be read from it directly.
    std::size_t rowCount_ = 0;
    std::optional<Uuid> flashedId_;
    // One moment for all rows: a row repainted alone, as the pointer passes over it, must not
    // read newer than the rows painted before it.
    Timestamp now_;

    // The controller changes items() before it reports the change, so while the views are
    // told that rows are about to come or go, the rows they still know are found in
    // items() shifted by the change.
    struct PendingChange {
        std::size_t first = 0;
        std::size_t count = 0;
        bool inserted = false;
    };
    std::optional<PendingChange> pending_;
};

}  // namespace nimbrook
