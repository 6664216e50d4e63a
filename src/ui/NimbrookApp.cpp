#include "ui/NimbrookApp.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>
#include <iostream>

#include "controller/ClipboardViewModel.h"
#include "controller/PasteFlow.h"
#include "platform/qt/GlobalShortcut.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/DesktopToast.h"
#include "ui/PopupPlacement.h"
#include "ui/Preferences.h"
#include "ui/SettingsView.h"
#include "ui/ShortcutField.h"
#include "ui/SymbolIcons.h"
#include "ui/Theme.h"

namespace nimbrook {

namespace {

// A tray click that arrives this soon after the popup closed is the click that closed it.
constexpr qint64 reopenGuardMs = 300;

QScreen* screenOf(const QRect& iconGeometry, QPoint pointer) {
    const QPoint probe = iconGeometry.isEmpty() ? pointer : iconGeometry.center();
    if (QScreen* screen = QGuiApplication::screenAt(probe)) {
        return screen;
    }
    return QGuiApplication::primaryScreen();
}

}  // namespace

NimbrookApp::Desktop NimbrookApp::Desktop::current() {
    return {.hasTray = QSystemTrayIcon::isSystemTrayAvailable(),
            .placesWindows = QGuiApplication::platformName() != QStringLiteral("wayland")};
}

NimbrookApp::NimbrookApp(ClipboardViewModel& viewModel, Preferences& preferences,
                         GlobalShortcut* shortcut, QObject* parent)
    : NimbrookApp(Desktop::current(), viewModel, preferences, shortcut, parent) {}

NimbrookApp::NimbrookApp(Desktop desktop, ClipboardViewModel& viewModel, Preferences& preferences,
                         GlobalShortcut* shortcut, QObject* parent)
    : QObject(parent),
      viewModel_(viewModel),
      preferences_(preferences),
      shortcut_(shortcut),
      ignoreList_(viewModel, preferences) {
    panelIsPopup_ = desktop.hasTray && desktop.placesWindows;
    panelHidesOnDeactivate_ = desktop.hasTray && !desktop.placesWindows;

    // The icon is made even without a status area: at login the tray may start after the
    // program, and the icon then appears in it by itself.
    createTrayIcon();
    bindShortcut();
    if (!desktop.hasTray) {
        openPanel();
    }
}

// Built at the first show: until then the program holds no widget, font or row of the panel,
// which is most of what it would hold while it waits in the tray.
QWidget& NimbrookApp::ensurePanel() {
    if (panel_) {
        return *panel_;
    }
    useWindowIcon();
    panel_ = std::make_unique<QWidget>(nullptr, panelIsPopup_ ? Qt::Popup : Qt::Window);
    panel_->setObjectName(QStringLiteral("panelWindow"));
    panel_->setWindowTitle(QStringLiteral("萤川"));
    auto* layout = new QVBoxLayout(panel_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new ClipboardHistoryView(viewModel_);
    layout->addWidget(view_);
    panel_->setFixedSize(view_->size());
    panel_->installEventFilter(this);
    connect(view_, &ClipboardHistoryView::settingsRequested, this, &NimbrookApp::showSettings);
    connect(view_, &ClipboardHistoryView::closeRequested, this, &NimbrookApp::closePanel);
    if (captureUnavailable_) {
        view_->setCaptureUnavailable();
    }
    return *panel_;
}

bool NimbrookApp::panelIsVisible() const {
    return panel_ && panel_->isVisible();
}

// The windows show the installed application icon, the tray's glyph when it is not installed;
// looking it up reads the icon themes, which only a window needs.
void NimbrookApp::useWindowIcon() {
    if (!QGuiApplication::windowIcon().isNull()) {
        return;
    }
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("com.quolla.nimbrook"), trayIcon_->icon()));
}

void NimbrookApp::bindShortcut() {
    if (shortcut_ == nullptr) {
        return;
    }
    connect(shortcut_, &GlobalShortcut::activated, this, &NimbrookApp::openPanelAtPointer);
    const QKeySequence sequence = preferences_.panelShortcut();
    // The settings window says so too; a program started at login has only its log.
    if (shortcut_->setSequence(sequence) == GlobalShortcut::State::taken) {
        std::cerr << "打开面板快捷键 " << ShortcutField::chordText(sequence).toStdString()
                  << "：快捷键已被占用\n";
    }
}

NimbrookApp::~NimbrookApp() = default;

void NimbrookApp::createTrayIcon() {
    createTrayMenu();

    // Teal reads on light and on dark bars alike.
    const QIcon glyph =
        SymbolIcons::icon(u"doc.on.clipboard.fill", Theme::current().color(NamedColor::teal));
    trayIcon_ = std::make_unique<QSystemTrayIcon>();
    trayIcon_->setIcon(glyph);
    trayIcon_->setToolTip(QStringLiteral("萤川"));
    trayIcon_->setContextMenu(trayMenu_.get());
    connect(trayIcon_.get(), &QSystemTrayIcon::activated, this, &NimbrookApp::trayActivated);
    trayIcon_->show();
}

void NimbrookApp::createTrayMenu() {
    trayMenu_ = std::make_unique<QMenu>();
    trayMenu_->setObjectName(QStringLiteral("trayMenu"));
    connect(trayMenu_->addAction(QStringLiteral("打开面板")), &QAction::triggered, this,
            &NimbrookApp::openPanel);
    QAction* monitoring = trayMenu_->addAction(QString());
    connect(monitoring, &QAction::triggered, this, [this] { viewModel_.toggleMonitoring(); });
    // The footer's switch may have turned recording on or off since the menu was last shown.
    const auto nameMonitoring = [this, monitoring] {
        monitoring->setText(viewModel_.isMonitoring() ? QStringLiteral("暂停记录")
                                                      : QStringLiteral("继续记录"));
    };
    nameMonitoring();
    connect(trayMenu_.get(), &QMenu::aboutToShow, this, nameMonitoring);
    connect(trayMenu_->addAction(QStringLiteral("设置…")), &QAction::triggered, this,
            &NimbrookApp::showSettings);
    trayMenu_->addSeparator();
    connect(trayMenu_->addAction(QStringLiteral("退出")), &QAction::triggered, qApp,
            &QCoreApplication::quit);
}

void NimbrookApp::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
        togglePanel();
    }
}

void NimbrookApp::togglePanel() {
    if (panelIsVisible()) {
        panel_->hide();
        return;
    }
    if (panelHiddenAt_.isValid() && panelHiddenAt_.elapsed() < reopenGuardMs) {
        return;
    }
    openPanel();
}

void NimbrookApp::closePanel() {
    // Without a tray the panel is the program's only window: it goes to the taskbar, never
    // out of reach.
    if (!panel_) {
        return;
    }
    if (panelIsPopup_ || panelHidesOnDeactivate_) {
        panel_->hide();
    } else {
        panel_->showMinimized();
    }
}

void NimbrookApp::openPanelAtPointer() {
    if (panelIsPopup_) {
        placePanel(QRect());
    }
    showPanel();
}

void NimbrookApp::openPanel() {
    if (panelIsPopup_) {
        placePanel(trayIcon_ ? trayIcon_->geometry() : QRect());
    }
    showPanel();
}

void NimbrookApp::setPasteFlow(PasteFlow& flow) {
    pasteFlow_ = &flow;
}

void NimbrookApp::paste(const ClipboardItem& item) {
    const auto done = [this](const PasteRoute::SendResult& result) {
        if (!result.sent) {
            std::cerr << "[Nimbrook] paste: " << PasteFlow::notPastedToast << "：" << result.reason
                      << '\n';
        }
        if (!result.sent && !panelIsVisible()) {
            if (!desktopToast_) {
                desktopToast_ = std::make_unique<DesktopToast>();
            }
            desktopToast_->showMessage(QString::fromUtf8(PasteFlow::notPastedToast));
        }
    };
    pasteFlow_->pasteIntoRemembered(item, done, [this] { closePanel(); });
}

void NimbrookApp::showPanel() {
    ensurePanel();
    if (pasteFlow_ != nullptr) {
        // The window the user came from, before the panel takes the focus from it. Without a
        // tray the panel stays open behind the other windows and is asked for from one of them,
        // and the toolkit tells that it lost the focus only a moment later than the desktop.
        if (!panel_->isVisible() || panel_->isMinimized() || !pasteFlow_->focusIsOwn()) {
            pasteFlow_->rememberTarget();
        }
        view_->setPaste([this](const ClipboardItem& item) { paste(item); },
                        preferences_.pastesOnSelect());
    }
    panel_->setWindowState(panel_->windowState() & ~Qt::WindowMinimized);
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
}

void NimbrookApp::placePanel(const QRect& iconGeometry) {
    ensurePanel();
    const QPoint pointer = QCursor::pos();
    const QScreen* screen = screenOf(iconGeometry, pointer);
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), panel_->size());
    panel_->setGeometry(PopupPlacement::geometry(panel_->size(), iconGeometry, pointer, area));
}

void NimbrookApp::showSettings() {
    // An open popup holds the pointer and keyboard grab; it gives way to the window.
    if (panelIsPopup_ && panelIsVisible()) {
        panel_->hide();
    }
    if (!settings_) {
        useWindowIcon();
        settings_ = std::make_unique<SettingsView>(viewModel_, preferences_, shortcut_);
    }
    settings_->setWindowState((settings_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

void NimbrookApp::showCaptureUnavailable() {
    captureUnavailable_ = true;
    if (view_ != nullptr) {
        view_->setCaptureUnavailable();
    }
}

bool NimbrookApp::eventFilter(QObject* watched, QEvent* event) {
    if (panel_ && watched == panel_.get()) {
        if (event->type() == QEvent::WindowActivate) {
            panelHadFocus_ = true;
        } else if (event->type() == QEvent::WindowDeactivate && panelHidesOnDeactivate_ &&
                   panelHadFocus_) {
            panel_->hide();
        } else if (event->type() == QEvent::Hide) {
            panelHadFocus_ = false;
            panelHiddenAt_.start();
        } else if (event->type() == QEvent::Close && !panelIsPopup_ &&
                   !QSystemTrayIcon::isSystemTrayAvailable()) {
            // Without a tray the panel window is the program: closing it ends it rather than
            // leaving an invisible process that keeps recording the clipboard.
            QCoreApplication::quit();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace nimbrook
