#include <QAbstractButton>
#include <QApplication>
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

}  // namespace nimbrook

QTEST_MAIN(nimbrook::NimbrookAppTest)
#include "NimbrookAppTest.moc"
