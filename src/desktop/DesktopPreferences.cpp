#include "desktop/DesktopPreferences.h"

#include <QSettings>

#include "platform/xdg/LoginStart.h"
#include "platform/xdg/XdgFolders.h"

namespace nimbrook {

namespace {

const QString key = QStringLiteral("openPanelShortcut");
const QString ignoredKey = QStringLiteral("ignoredApplications");
const QString pastesOnSelectKey = QStringLiteral("paste/onSelect");
const QString pasteChordsKey = QStringLiteral("paste/chords");

QSettings settingsFile() {
    const auto path = XdgFolders::configFolder() / "nimbrook.conf";
    return QSettings(QString::fromStdString(path.string()), QSettings::IniFormat);
}

}  // namespace

QKeySequence DesktopPreferences::panelShortcut() const {
    const QVariant saved = settingsFile().value(key);
    if (!saved.isValid()) {
        return QKeySequence(Qt::META | Qt::Key_V);
    }
    return QKeySequence::fromString(saved.toString(), QKeySequence::PortableText);
}

void DesktopPreferences::setPanelShortcut(const QKeySequence& sequence) {
    QSettings settings = settingsFile();
    settings.setValue(key, sequence.toString(QKeySequence::PortableText));
    settings.sync();
}

QStringList DesktopPreferences::ignoredApplications() const {
    return settingsFile().value(ignoredKey).toStringList();
}

void DesktopPreferences::setIgnoredApplications(const QStringList& names) {
    QSettings settings = settingsFile();
    settings.setValue(ignoredKey, names);
    settings.sync();
}

bool DesktopPreferences::startsAtLogin() const {
    return LoginStart::isEnabled();
}

bool DesktopPreferences::setStartsAtLogin(bool enabled) {
    return LoginStart::setEnabled(enabled);
}

bool DesktopPreferences::pastesOnSelect() const {
    return settingsFile().value(pastesOnSelectKey, false).toBool();
}

void DesktopPreferences::setPastesOnSelect(bool enabled) {
    QSettings settings = settingsFile();
    settings.setValue(pastesOnSelectKey, enabled);
    settings.sync();
}

std::string DesktopPreferences::pasteChords() {
    // Unquoted commas make the INI reader split the value into a list.
    return settingsFile().value(pasteChordsKey).toStringList().join(u',').toStdString();
}

}  // namespace nimbrook
