#pragma once

#include <QKeySequence>
#include <QStringList>

namespace nimbrook {

// What the user sets in the settings window outside the history, kept by the desktop between
// starts.
class Preferences {
public:
    virtual ~Preferences() = default;

    // The chord that opens the panel; empty when the user turned it off.
    virtual QKeySequence panelShortcut() const = 0;
    virtual void setPanelShortcut(const QKeySequence& sequence) = 0;
    virtual bool startsAtLogin() const = 0;
    // False when it could not be changed; it then stays as it was.
    virtual bool setStartsAtLogin(bool enabled) = 0;
    // The programs whose copies are not recorded, as the user wrote their names; none when
    // none were ever saved.
    virtual QStringList ignoredApplications() const = 0;
    virtual void setIgnoredApplications(const QStringList& names) = 0;
    // Whether Return, a click and Alt+1..9 paste the entry as well as copy it; off until set.
    virtual bool pastesOnSelect() const = 0;
    virtual void setPastesOnSelect(bool enabled) = 0;
};

}  // namespace nimbrook
