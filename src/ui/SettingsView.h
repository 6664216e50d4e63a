#pragma once

#include <QWidget>
#include <cstddef>

#include "controller/ClipboardViewModelObserver.h"

class QLabel;
class QVBoxLayout;

namespace nimbrook {

class ClipboardViewModel;
class GlobalShortcut;
class IgnoredAppsSection;
class Preferences;
class ShortcutField;
class ToggleSwitch;

// The "设置" window: switches monitoring and shows the fixed limit, the live entry count,
// the size of the image files and the about box, edits the programs whose copies are not recorded,
// and sets the key chord that opens the panel (`shortcut`; null where the desktop lets no program
// take a key). Everything else it shows is read from the controller when it changes.
class SettingsView final : public QWidget, private ClipboardViewModelObserver {
    Q_OBJECT

public:
    SettingsView(ClipboardViewModel& viewModel, Preferences& preferences,
                 GlobalShortcut* shortcut = nullptr, QWidget* parent = nullptr);
    ~SettingsView() override;
    SettingsView(const SettingsView&) = delete;
    SettingsView& operator=(const SettingsView&) = delete;

protected:
    void changeEvent(QEvent* event) override;

private:
    void itemsInserted(std::size_t first, std::size_t count) override;
    void itemsRemoved(std::size_t first, std::size_t count) override;
    void itemReplaced(std::size_t index) override;
    void itemsReset() override;
    void searchTextChanged() override {}
    void monitoringChanged() override;
    void ignoredApplicationsChanged() override;
    void imageFilesChanged() override;
    void copiedFlashChanged() override {}
    void toastMessageChanged() override {}

    void addSection(QVBoxLayout& layout, const QString& objectName, const QString& title,
                    const QList<QWidget*>& rows);
    // A row of a section: `label` at the leading edge, `value` at the trailing edge.
    QWidget* valueRow(const QString& label, QWidget* value);
    QLabel* valueLabel(const QString& objectName, const QString& text);
    QWidget* shortcutRow();
    void chooseShortcut(const QKeySequence& chord);
    void showShortcutState();
    void applyThemeColors();
    void showCount();
    void showImageSize();
    void showMonitoring();

    ClipboardViewModel& viewModel_;
    Preferences& preferences_;
    GlobalShortcut* shortcut_ = nullptr;
    ToggleSwitch* monitoringToggle_ = nullptr;
    ShortcutField* shortcutField_ = nullptr;
    IgnoredAppsSection* ignoredApps_ = nullptr;
    QLabel* shortcutStatus_ = nullptr;
    QLabel* countValue_ = nullptr;
    QLabel* imageSizeValue_ = nullptr;
    QList<QLabel*> secondaryLabels_;
    QList<QLabel*> sectionTitles_;
};

}  // namespace nimbrook
