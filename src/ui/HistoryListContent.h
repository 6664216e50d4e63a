#pragma once

#include <QStackedWidget>

class QListView;

namespace nimbrook {

class ClipboardItemRow;
class EmptyState;
class HistoryListModel;
class Theme;

// The panel's middle: the list of the entries that match, drawn by the rows' delegate, or
// the empty state in its place when none does.
class HistoryListContent final : public QStackedWidget {
    Q_OBJECT

public:
    HistoryListContent(HistoryListModel& model, ClipboardItemRow& rows, QWidget* parent);

    void applyTheme(const Theme& theme);
    void showEmptyState(bool empty);

    QListView* list() const { return list_; }
    EmptyState* emptyState() const { return emptyState_; }

private:
    QListView* list_ = nullptr;
    EmptyState* emptyState_ = nullptr;
};

}  // namespace nimbrook
