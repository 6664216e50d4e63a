#pragma once

#include <QKeySequence>

namespace nimbrook {

// The key chord that opens the panel, kept in nimbrook.conf of the program's settings folder
// (an INI file; the history file holds no settings).
class PanelShortcutSetting final {
public:
    // The chord last saved; Super+V when none was ever saved, empty when it was turned off.
    static QKeySequence load();
    // An empty sequence turns the shortcut off.
    static void save(const QKeySequence& sequence);
};

}  // namespace nimbrook
