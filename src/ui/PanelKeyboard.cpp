#include "ui/PanelKeyboard.h"

namespace nimbrook {

namespace {

PanelKey plainKey(int key) {
    switch (key) {
        case Qt::Key_Down:
            return PanelKey::next;
        case Qt::Key_Up:
            return PanelKey::previous;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return PanelKey::copy;
        case Qt::Key_Escape:
            return PanelKey::escape;
        case Qt::Key_Menu:
            return PanelKey::openMenu;
        default:
            return PanelKey::none;
    }
}

PanelKey controlKey(int key) {
    switch (key) {
        case Qt::Key_PageDown:
            return PanelKey::pageDown;
        case Qt::Key_PageUp:
            return PanelKey::pageUp;
        case Qt::Key_Home:
            return PanelKey::first;
        case Qt::Key_End:
            return PanelKey::last;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return PanelKey::copyAndClose;
        case Qt::Key_P:
            return PanelKey::togglePin;
        case Qt::Key_Y:
            return PanelKey::preview;
        default:
            return PanelKey::none;
    }
}

PanelKey shiftKey(int key) {
    switch (key) {
        case Qt::Key_Delete:
            return PanelKey::remove;
        case Qt::Key_F10:
            return PanelKey::openMenu;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return PanelKey::paste;
        default:
            return PanelKey::none;
    }
}

PanelKey altKey(int key) {
    if (key >= Qt::Key_1 && key <= Qt::Key_9) {
        return static_cast<PanelKey>(static_cast<int>(PanelKey::copyRow1) + key - Qt::Key_1);
    }
    return PanelKey::none;
}

}  // namespace

PanelKey PanelKeyboard::actionFor(int key, Qt::KeyboardModifiers modifiers) {
    switch ((modifiers & ~Qt::KeypadModifier).toInt()) {
        case Qt::NoModifier:
            return plainKey(key);
        case Qt::ControlModifier:
            return controlKey(key);
        case Qt::ShiftModifier:
            return shiftKey(key);
        case Qt::AltModifier:
            return altKey(key);
        default:
            return PanelKey::none;
    }
}

}  // namespace nimbrook
