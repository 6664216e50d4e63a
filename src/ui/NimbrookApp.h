#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

#include "ui/IgnoreListKeeper.h"

class QMenu;
class QWidget;

namespace nimbrook {

class ClipboardHistoryView;
class ClipboardItem;
class ClipboardViewModel;
class DesktopToast;
class GlobalShortcut;
class PasteFlow;
class Preferences;
class SettingsView;

// Wires the tray icon, the drop-down history panel and the one settings window to the
// controller; it holds no state of the history itself.
class NimbrookApp final : public QObject {
    Q_OBJECT

public:
    // What the desktop offers the shell.
    struct Desktop {
        // A status area that shows the tray icon.
        bool hasTray = false;
        // Whether windows can be placed and grab the pointer (not on Wayland).
        bool placesWindows = true;

        static Desktop current();
    };

    // Shows the tray icon; without a status area on the desktop the panel opens at once as
    // an ordinary window, so the program is never invisible, and closing that window while
    // there is still no status area ends the program. `shortcut`, when the desktop has one,
    // takes the saved chord and opens the panel at the pointer.
    NimbrookApp(ClipboardViewModel& viewModel, Preferences& preferences,
                GlobalShortcut* shortcut = nullptr, QObject* parent = nullptr);
    // The same on the desktop described.
    NimbrookApp(Desktop desktop, ClipboardViewModel& viewModel, Preferences& preferences,
                GlobalShortcut* shortcut = nullptr, QObject* parent = nullptr);
    ~NimbrookApp() override;
    NimbrookApp(const NimbrookApp&) = delete;
    NimbrookApp& operator=(const NimbrookApp&) = delete;

    // Shows the panel and gives it the focus (a tray click, a second start of the program).
    void openPanel();
    // The global shortcut: the panel opens at the pointer, kept inside its screen.
    void openPanelAtPointer();
    // Escape or Ctrl+Return in the panel: hides it, or minimises it where it is the only window.
    void closePanel();
    // A tray click: opens the panel, or closes it when it is open.
    void togglePanel();
    // Opens the settings window, or raises and focuses the one already open.
    void showSettings();
    // Tells the user, where the empty history would invite copying, that nothing is recorded.
    void showCaptureUnavailable();
    // Lets the panel paste into the window it was opened from (Shift+Return, Shift+click, and
    // Return, a click and Alt+1..9 when the settings say so); `flow` must outlive this object.
    void setPasteFlow(PasteFlow& flow);

    // The panel once it was first shown, else null.
    QWidget* panel() const { return panel_.get(); }
    // The settings window once it was asked for, else null.
    SettingsView* settingsWindow() const { return settings_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createTrayIcon();
    // Open the panel, pause or resume recording, settings, quit.
    void createTrayMenu();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    // At the tray icon's geometry, or at the pointer when `iconGeometry` is empty.
    void placePanel(const QRect& iconGeometry);
    void showPanel();
    QWidget& ensurePanel();
    bool panelIsVisible() const;
    void useWindowIcon();
    void bindShortcut();
    void paste(const ClipboardItem& item);

    ClipboardViewModel& viewModel_;
    Preferences& preferences_;
    GlobalShortcut* shortcut_ = nullptr;
    PasteFlow* pasteFlow_ = nullptr;
    ClipboardHistoryView* view_ = nullptr;
    std::unique_ptr<DesktopToast> desktopToast_;
    bool panelIsPopup_ = false;
    bool captureUnavailable_ = false;
    // Where windows cannot be placed or grab the pointer (Wayland), the tray's panel is a
    // normal window that the compositor places and that hides when it loses the focus.
    bool panelHidesOnDeactivate_ = false;
    // A window is told it is inactive as it is shown, before the compositor focuses it;
    // only losing the focus it had hides it.
    bool panelHadFocus_ = false;
    IgnoreListKeeper ignoreList_;
    std::unique_ptr<QWidget> panel_;
    std::unique_ptr<SettingsView> settings_;
    std::unique_ptr<QMenu> trayMenu_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    // When the popup last closed: the click on the tray icon that closed it must not
    // open it again right away.
    QElapsedTimer panelHiddenAt_;
};

}  // namespace nimbrook
