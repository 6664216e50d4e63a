#include <QAbstractButton>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <functional>

#include "ControllerHarness.h"
#include "desktop/DesktopPreferences.h"
#include "platform/qt/GlobalShortcut.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/NimbrookApp.h"
#include "ui/SettingsView.h"

namespace nimbrook {

namespace {

// A chord that is always free, pressed by emitting activated().
class FreeShortcut final : public GlobalShortcut {
protected:
    State grab(QKeyCombination) override { return State::active; }
    void release() override {}
};

QMenu* trayMenu() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"trayMenu") {
            return qobject_cast<QMenu*>(widget);
        }
    }
    return nullptr;
}

qsizetype historyViews() {
    return std::ranges::count_if(QApplication::allWidgets(), [](const QWidget* widget) {
        return qobject_cast<const ClipboardHistoryView*>(widget) != nullptr;
    });
}

using Route = std::function<void(NimbrookApp&, GlobalShortcut&)>;

}  // namespace

class NimbrookAppTest final : public QObject {
    Q_OBJECT

private slots:
    void panelIsMadeAtItsFirstShow_data();
    void panelIsMadeAtItsFirstShow();
    void panelIsAWindowAndSettingsStaySingle();
    void trayMenuOpensPausesAndQuits();
};

void NimbrookAppTest::panelIsMadeAtItsFirstShow_data() {
    QTest::addColumn<Route>("route");
    QTest::addColumn<bool>("opensPanel");
    QTest::newRow("tray click or nimbrook --toggle")
        << Route([](NimbrookApp& app, GlobalShortcut&) { app.togglePanel(); }) << true;
    QTest::newRow("global shortcut")
        << Route([](NimbrookApp&, GlobalShortcut& shortcut) { emit shortcut.activated(); }) << true;
    QTest::newRow("second start of the program")
        << Route([](NimbrookApp& app, GlobalShortcut&) { app.openPanel(); }) << true;
    QTest::newRow("tray menu") << Route([](NimbrookApp&, GlobalShortcut&) {
        trayMenu()->actions()[0]->trigger();
    }) << true;
    QTest::newRow("settings from the tray menu")
        << Route([](NimbrookApp&, GlobalShortcut&) { trayMenu()->actions()[2]->trigger(); })
        << false;
}

// With a status area the program waits in the tray holding no panel at all; whichever way the
// user first asks for it, it is made then, shows what was copied meanwhile, and stays the one
// panel from then on.
void NimbrookAppTest::panelIsMadeAtItsFirstShow() {
    QFETCH(Route, route);
    QFETCH(bool, opensPanel);
    ControllerHarness harness;
    DesktopPreferences preferences;
    FreeShortcut shortcut;
    NimbrookApp app({.hasTray = true}, harness.viewModel, preferences, &shortcut);
    QVERIFY(app.panel() == nullptr);
    QCOMPARE(historyViews(), 0);
    QVERIFY(trayMenu() != nullptr);

    harness.copy("copied while the panel was never shown");
    route(app, shortcut);
    if (!opensPanel) {
        QVERIFY(app.panel() == nullptr);
        QCOMPARE(historyViews(), 0);
        QVERIFY(app.settingsWindow() != nullptr && app.settingsWindow()->isVisible());
        return;
    }
    QWidget* panel = app.panel();
    QVERIFY(panel != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    QCOMPARE(panel->size(), QSize(400, 520));
    QCOMPARE(panel->findChild<QListView*>(QStringLiteral("historyList"))->model()->rowCount(), 1);
    app.closePanel();
    QVERIFY(!panel->isVisible());
    app.openPanel();
    QCOMPARE(app.panel(), panel);
    QCOMPARE(historyViews(), 1);
}

// Offscreen there is no status area, so the shell shows the panel as a window at start; the
// settings window it opens stays single.
void NimbrookAppTest::panelIsAWindowAndSettingsStaySingle() {
    const auto settingsWindows = [] {
        return std::ranges::count_if(QApplication::topLevelWidgets(), [](const QWidget* widget) {
            return qobject_cast<const SettingsView*>(widget) != nullptr;
        });
    };
    ControllerHarness harness;
    DesktopPreferences preferences;
    NimbrookApp app(harness.viewModel, preferences);
    QWidget* panel = app.panel();
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->windowType(), Qt::Window);
    QCOMPARE(panel->size(), QSize(400, 520));
    QCOMPARE(settingsWindows(), 0);
    panel->hide();
    app.openPanel();
    QVERIFY(QTest::qWaitForWindowActive(panel));

    auto* gear = panel->findChild<QAbstractButton*>(QStringLiteral("settingsButton"));
    QCOMPARE(gear->toolTip(), QStringLiteral("设置 (Ctrl+,)"));
    QTest::mouseClick(gear, Qt::LeftButton);
    SettingsView* settings = app.settingsWindow();
    QVERIFY(QTest::qWaitFor([settings] { return settings->isActiveWindow(); }));
    app.showSettings();
    QCOMPARE(app.settingsWindow(), settings);
    // Closing the window must not stop the controller, and opening it again reuses it.
    settings->close();
    harness.copy("after closing");
    QCOMPARE(harness.viewModel.items().size(), std::size_t{1});
    app.showSettings();
    QCOMPARE(app.settingsWindow(), settings);
    QCOMPARE(settingsWindows(), 1);
    QVERIFY(QTest::qWaitFor([settings] { return settings->isActiveWindow(); }));
}

// The tray's menu pauses with the footer's switch and names what a click would do.
void NimbrookAppTest::trayMenuOpensPausesAndQuits() {
    ControllerHarness harness;
    DesktopPreferences preferences;
    NimbrookApp app(harness.viewModel, preferences);
    app.panel()->hide();
    QMenu* menu = trayMenu();
    QVERIFY(menu != nullptr);
    const auto texts = [menu] {
        QStringList texts;
        for (const QAction* action : menu->actions()) {
            texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return texts.join(u'|');
    };
    QCOMPARE(texts(), QStringLiteral("打开面板|暂停记录|设置…|-|退出"));

    menu->actions()[1]->trigger();
    QVERIFY(!harness.viewModel.isMonitoring());
    emit menu->aboutToShow();
    QCOMPARE(texts(), QStringLiteral("打开面板|继续记录|设置…|-|退出"));
    harness.viewModel.toggleMonitoring();
    emit menu->aboutToShow();
    QCOMPARE(menu->actions()[1]->text(), QStringLiteral("暂停记录"));

    menu->actions()[0]->trigger();
    QVERIFY(app.panel()->isVisible());
    menu->actions()[2]->trigger();
    QVERIFY(app.settingsWindow() != nullptr && app.settingsWindow()->isVisible());
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::NimbrookAppTest)
#include "NimbrookAppTest.moc"
