#include "ui/RowSelection.h"

#include <QAccessible>
#include <QListView>
#include <algorithm>

#include "controller/ClipboardViewModel.h"
#include "ui/ClipboardItemRow.h"
#include "ui/HistoryListModel.h"

namespace nimbrook {

RowSelection::RowSelection(ClipboardViewModel& viewModel, const EntryChooser& chooser,
                           HistoryListModel& model, QListView& list, ClipboardItemRow& rows)
    : viewModel_(viewModel), chooser_(chooser), model_(model), list_(list), rows_(rows) {}

bool RowSelection::act(PanelKey key) {
    const int current = selected();
    switch (key) {
        case PanelKey::none:
        case PanelKey::escape:
            return false;
        case PanelKey::next:
            select(current < 0 ? 0 : current + 1);
            return true;
        case PanelKey::previous:
            select(current - 1);
            return true;
        case PanelKey::pageDown:
            select(std::max(current, 0) + pageRows());
            return true;
        case PanelKey::pageUp:
            select(std::max(current, 0) - pageRows());
            return true;
        case PanelKey::first:
            select(0);
            return true;
        case PanelKey::last:
            select(model_.rowCount() - 1);
            return true;
        case PanelKey::copy:
            choose(std::max(current, 0), EntryChooser::Intent::choose);
            return true;
        case PanelKey::copyAndClose:
            choose(std::max(current, 0), EntryChooser::Intent::copy);
            return true;
        case PanelKey::paste:
            choose(std::max(current, 0), EntryChooser::Intent::paste);
            return true;
        case PanelKey::remove:
            if (current < 0) {
                return false;
            }
            removeSelected();
            return true;
        case PanelKey::openMenu:
            if (current < 0) {
                return false;
            }
            rows_.openConversionMenu(model_.index(current, 0));
            return true;
        case PanelKey::togglePin:
            if (current < 0) {
                return false;
            }
            togglePin(current);
            return true;
        default:
            choose(static_cast<int>(key) - static_cast<int>(PanelKey::copyRow1),
                   EntryChooser::Intent::choose);
            return true;
    }
}

// The entry moves to its new place; the selection goes with it.
void RowSelection::togglePin(int row) {
    const ClipboardItem* entry = model_.item(row);
    if (entry == nullptr) {
        return;
    }
    const ClipboardItem item = *entry;
    viewModel_.setPinned(item, !item.isPinned());
    for (int each = 0; each < model_.rowCount(); ++each) {
        if (const ClipboardItem* shown = model_.item(each); shown != nullptr && *shown == item) {
            select(each);
            return;
        }
    }
}

void RowSelection::reset() {
    rows_.setSelected({});
    list_.scrollToTop();
}

int RowSelection::selected() const {
    const QModelIndex index = rows_.selected();
    return index.isValid() ? index.row() : -1;
}

void RowSelection::select(int row) {
    const int count = model_.rowCount();
    if (count == 0) {
        return;
    }
    const QModelIndex index = model_.index(std::clamp(row, 0, count - 1), 0);
    rows_.setSelected(index);
    list_.scrollTo(index);
    // The keyboard stays in the search field; a screen reader is told of the row instead.
    QAccessibleEvent event(&list_, QAccessible::Selection);
    event.setChild(index.row());
    QAccessible::updateAccessibility(&event);
}

int RowSelection::pageRows() const {
    const int rowHeight = list_.sizeHintForRow(std::max(selected(), 0));
    return std::max(1, list_.viewport()->height() / std::max(rowHeight, 1));
}

void RowSelection::choose(int row, EntryChooser::Intent intent) {
    // The same call a click makes, with the same write and highlight.
    if (const ClipboardItem* entry = model_.item(row)) {
        const ClipboardItem item = *entry;
        chooser_.choose(item, intent);
    }
}

void RowSelection::removeSelected() {
    const int row = selected();
    const ClipboardItem item = *model_.item(row);
    viewModel_.deleteItem(item);
    // The next older entry takes the removed one's place and the selection.
    select(row);
}

}  // namespace nimbrook
