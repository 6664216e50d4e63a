#pragma once

#include <QWidget>
#include <memory>

#include "controller/ClipboardViewModelObserver.h"

class QLabel;
class QLineEdit;
class QListView;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace nimbrook {

class ClearConfirmOverlay;
class ClipboardItemRow;
class ClipboardViewModel;
class HistoryListModel;
class RowSelection;
class ToastOverlay;

// The drop-down history panel, 400 x 520: header with the count and the paused label,
// search field, the list of matching entries or an empty state, and the monitoring switch
// in the footer, beside which "未保存" stands while the history cannot be saved; the toast
// and the clear-all confirmation lie above it. It keeps no copy of
// the history: everything shown is read from the controller when the controller reports
// a change.
class ClipboardHistoryView final : public QWidget, private ClipboardViewModelObserver {
    Q_OBJECT

public:
    explicit ClipboardHistoryView(ClipboardViewModel& viewModel, QWidget* parent = nullptr);
    ~ClipboardHistoryView() override;

    // The empty history then says that this desktop lets no copy be recorded.
    void setCaptureUnavailable();

signals:
    // The gear button or Ctrl+Comma: the owner opens or raises the settings window.
    void settingsRequested();
    // Escape on an empty search, or Ctrl+Return after its copy: the owner puts the panel away.
    void closeRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void itemsInserted(std::size_t first, std::size_t count) override;
    void itemsRemoved(std::size_t first, std::size_t count) override;
    void itemReplaced(std::size_t index) override;
    void itemsReset() override;
    void searchTextChanged() override;
    void monitoringChanged() override;
    void copiedFlashChanged() override {}
    void toastMessageChanged() override;
    void saveErrorChanged() override;

    QWidget* buildHeader();
    QWidget* buildSearchBar();
    QWidget* buildListContent();
    QWidget* buildFooter();
    void applyTheme();
    void refreshItems();
    void refreshSearch();
    void refreshMonitoring();
    void refreshSaveWarning();
    void confirmClearAll();
    // Acts on a key of PanelKeyboard's table; false when the key is left to the focused widget.
    bool handleKey(const QKeyEvent& event);
    QToolButton* makeIconButton(const QString& name, const QString& accessibleName,
                                QWidget* parent);

    ClipboardViewModel& viewModel_;
    HistoryListModel* model_ = nullptr;
    ClipboardItemRow* rowDelegate_ = nullptr;
    std::unique_ptr<RowSelection> selection_;
    QLabel* appIcon_ = nullptr;
    QLabel* itemCount_ = nullptr;
    QWidget* pausedLabel_ = nullptr;
    QLabel* pausedIcon_ = nullptr;
    QToolButton* settingsButton_ = nullptr;
    QToolButton* clearAllButton_ = nullptr;
    QLabel* searchIcon_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QToolButton* clearSearchButton_ = nullptr;
    QStackedWidget* listContent_ = nullptr;
    QListView* list_ = nullptr;
    QWidget* emptyState_ = nullptr;
    QLabel* emptyIcon_ = nullptr;
    bool captureUnavailable_ = false;
    QLabel* emptyText_ = nullptr;
    QToolButton* monitoringSwitch_ = nullptr;
    QLabel* saveWarning_ = nullptr;
    ClearConfirmOverlay* clearConfirm_ = nullptr;
    ToastOverlay* toast_ = nullptr;
    // While the panel is open the rows' relative times are redrawn every minute.
    QTimer* minuteTimer_ = nullptr;
};

}  // namespace nimbrook
