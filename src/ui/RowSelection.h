#pragma once

#include "ui/EntryChooser.h"
#include "ui/PanelKeyboard.h"

class QListView;

namespace nimbrook {

class ClipboardItemRow;
class ClipboardViewModel;
class HistoryListModel;

// The row the keyboard selected in the panel's list, and what the row keys do with it. The
// keyboard stays in the search field, so the list itself never takes it; the row painter
// draws the selection and keeps it on its entry while other rows come and go.
class RowSelection final {
public:
    RowSelection(ClipboardViewModel& viewModel, const EntryChooser& chooser,
                 HistoryListModel& model, QListView& list, ClipboardItemRow& rows);

    // Moves, copies or pastes (as a click or a Shift+click does), removes, pins or unpins, or
    // opens the conversion menu for `key`. False for a key that is not a row key, and for
    // removing, pinning or the menu with no row selected: the search field keeps those for its
    // cut and its own menu.
    bool act(PanelKey key);
    // No row selected and the list at its newest row, as the panel opens.
    void reset();

private:
    int selected() const;
    void select(int row);
    int pageRows() const;
    void choose(int row, EntryChooser::Intent intent);
    void removeSelected();
    void togglePin(int row);

    ClipboardViewModel& viewModel_;
    const EntryChooser& chooser_;
    HistoryListModel& model_;
    QListView& list_;
    ClipboardItemRow& rows_;
};

}  // namespace nimbrook
