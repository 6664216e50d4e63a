#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <algorithm>

#include "ControllerHarness.h"
#include "desktop/DesktopPreferences.h"
#include "ui/NimbrookApp.h"
#include "ui/SettingsView.h"

namespace nimbrook {

class NimbrookAppTest final : public QObject {
    Q_OBJECT

private slots:
    void panelIsAWindowAndSettingsStaySingle();
    void trayMenuOpensPausesAndQuits();
};

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
    QMenu* menu = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"trayMenu") {
            menu = qobject_cast<QMenu*>(widget);
        }
    }
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
