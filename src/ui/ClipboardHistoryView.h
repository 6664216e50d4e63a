#pragma once

#include <QWidget>
#include <memory>

#include "controller/ClipboardViewModelObserver.h"
#include "ui/EntryChooser.h"

class QContextMenuEvent;
class QTimer;

namespace nimbrook {

class ClearConfirmOverlay;
class ClipboardItemRow;
class ClipboardViewModel;
class EntryPreviewControl;
class HistoryListContent;
class HistoryListModel;
class PanelFooter;
class PanelHeader;
class RowSelection;
class SearchBar;
class ToastOverlay;

// The drop-down history panel, 400 x 520, stacked from its parts: the header, the search
// bar, the list content with its empty state and the footer, with the toast and the
// clear-all confirmation above them. The view hands the parts what the controller reports
// and passes their clicks and typing on to it; the keys of the panel, which act on the list
// whichever part has the focus, are its own. It keeps no copy of the history: everything
// shown is read from the controller when the controller reports a change.
class ClipboardHistoryView final : public QWidget, private ClipboardViewModelObserver {
    Q_OBJECT

public:
    explicit ClipboardHistoryView(ClipboardViewModel& viewModel, QWidget* parent = nullptr);
    ~ClipboardHistoryView() override;

    // The empty history then says that this desktop lets no copy be recorded.
    void setCaptureUnavailable();
    // How Shift+Return and Shift+click paste, and whether Return, a click and Alt+1..9 do
    // too; without a paste they all copy.
    void setPaste(EntryChooser::Paste paste, bool pastesOnChoose) {
        chooser_.setPaste(std::move(paste), pastesOnChoose);
    }

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

    void buildParts();
    void connectParts();
    void setUpKeyboard();
    void applyTheme();
    void refreshItems();
    void refreshSearch();
    void refreshMonitoring();
    void refreshSaveWarning();
    // Every row's relative time, counted anew from the same moment.
    void refreshTimes();
    void confirmClearAll();
    // Acts on a key of PanelKeyboard's table; false when the key is left to the focused widget.
    bool handleKey(const QKeyEvent& event);
    // Ctrl+Y: the selected entry's preview (the newest when none is selected), or none.
    void togglePreview();
    // Opens the selected row's conversion menu for a context menu asked by the keyboard;
    // false when the search field keeps its own menu.
    bool openRowMenu(const QContextMenuEvent& event);

    ClipboardViewModel& viewModel_;
    EntryChooser chooser_{viewModel_};
    HistoryListModel* model_ = nullptr;
    ClipboardItemRow* rowDelegate_ = nullptr;
    std::unique_ptr<RowSelection> selection_;
    PanelHeader* header_ = nullptr;
    SearchBar* searchBar_ = nullptr;
    HistoryListContent* listContent_ = nullptr;
    PanelFooter* footer_ = nullptr;
    bool captureUnavailable_ = false;
    ClearConfirmOverlay* clearConfirm_ = nullptr;
    ToastOverlay* toast_ = nullptr;
    EntryPreviewControl* preview_ = nullptr;
    // While the panel is open the rows' relative times are counted anew every minute.
    QTimer* minuteTimer_ = nullptr;
};

}  // namespace nimbrook
