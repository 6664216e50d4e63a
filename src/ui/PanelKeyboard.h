#pragma once

#include <Qt>

namespace nimbrook {

// What a key pressed in the panel's search field asks of the panel. The field keeps every
// key it edits with (letters, Left/Right, Home/End without Ctrl), so these are the keys it
// has no use for.
enum class PanelKey {
    none,
    next,
    previous,
    pageDown,
    pageUp,
    first,
    last,
    copy,
    copyAndClose,
    paste,
    remove,
    openMenu,
    togglePin,
    escape,
    // Ctrl+Y: the whole selected entry beside the panel, or away again. Space types into the
    // field, Ctrl+Space and Shift+Space switch input methods, Alt+Space is the window
    // manager's.
    preview,
    copyRow1,  // Alt+1; Alt+2 to Alt+9 follow in order.
    copyRow9 = copyRow1 + 8,
};

class PanelKeyboard final {
public:
    // The panel's meaning of `key` pressed with `modifiers`; keypad keys count as the main
    // block's (Return and Enter alike).
    static PanelKey actionFor(int key, Qt::KeyboardModifiers modifiers);
};

}  // namespace nimbrook
