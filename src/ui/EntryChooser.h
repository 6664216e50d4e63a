#pragma once

#include <functional>
#include <utility>

namespace nimbrook {

class ClipboardItem;
class ClipboardViewModel;

// What choosing an entry in the panel does: copy it, as a click always did, or copy it and
// paste it into the window the panel was opened from.
class EntryChooser final {
public:
    enum class Intent {
        // Ctrl+Return: copied, never pasted.
        copy,
        // A click, Return, Alt+1..9: pasted when the user asked for that in the settings.
        choose,
        // Shift+Return, Shift+click.
        paste,
    };
    // Copies the entry and pastes it; the owner puts the panel away first.
    using Paste = std::function<void(const ClipboardItem&)>;

    explicit EntryChooser(ClipboardViewModel& viewModel) : viewModel_(viewModel) {}

    // Without a paste (null) every intent only copies.
    void setPaste(Paste paste, bool pastesOnChoose) {
        paste_ = std::move(paste);
        pastesOnChoose_ = pastesOnChoose;
    }
    void choose(const ClipboardItem& item, Intent intent) const;

private:
    ClipboardViewModel& viewModel_;
    Paste paste_;
    bool pastesOnChoose_ = false;
};

}  // namespace nimbrook
