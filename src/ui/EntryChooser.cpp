#include "ui/EntryChooser.h"

#include "controller/ClipboardViewModel.h"

namespace nimbrook {

void EntryChooser::choose(const ClipboardItem& item, Intent intent) const {
    const bool pastes =
        paste_ && (intent == Intent::paste || (intent == Intent::choose && pastesOnChoose_));
    if (pastes) {
        paste_(item);
    } else {
        viewModel_.copyToPasteboard(item);
    }
}

}  // namespace nimbrook
