#pragma once

#include <string>

#include "ui/Preferences.h"

namespace nimbrook {

// The preferences as this desktop keeps them: the panel's chord and the ignored programs in
// nimbrook.conf of the
// program's settings folder (an INI file; the history file holds no settings), the login start
// as the user's autostart entry. Every call reads or writes the files themselves.
class DesktopPreferences final : public Preferences {
public:
    // Super+V when none was ever saved, empty when it was turned off.
    QKeySequence panelShortcut() const override;
    void setPanelShortcut(const QKeySequence& sequence) override;
    bool startsAtLogin() const override;
    bool setStartsAtLogin(bool enabled) override;
    QStringList ignoredApplications() const override;
    void setIgnoredApplications(const QStringList& names) override;
    bool pastesOnSelect() const override;
    void setPastesOnSelect(bool enabled) override;
    // The user's chords for pasting into certain programs, as PasteChords reads them:
    // "program:chord" pairs separated by commas; empty when none were set.
    static std::string pasteChords();
};

}  // namespace nimbrook
