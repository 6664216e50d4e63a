#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <algorithm>

#include "ControllerHarness.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/NimbrookApp.h"
#include "ui/SettingsView.h"

namespace nimbrook {

class NimbrookAppTest final : public QObject {
    Q_OBJECT

private slots:
    void panelIsAWindowAndSettingsStaySingle();
};

namespace {

long settingsWindows() {
    return std::ranges::count_if(QApplication::topLevelWidgets(), [](const QWidget* widget) {
        return qobject_cast<const SettingsView*>(widget) != nullptr;
    });
}

}  // namespace

// Offscreen there is no status area, so the shell shows the panel as a window at start; the
// settings window it opens stays single.
void NimbrookAppTest::panelIsAWindowAndSettingsStaySingle() {
    ControllerHarness harness;
    NimbrookApp app(harness.viewModel);
    QWidget* panel = app.panel();
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->windowType(), Qt::Window);
    QCOMPARE(panel->size(), QSize(400, 520));
    QVERIFY(panel->findChild<ClipboardHistoryView*>() != nullptr);
    QCOMPARE(settingsWindows(), 0L);
    panel->hide();
    app.openPanel();
    QVERIFY(QTest::qWaitForWindowActive(panel));

    // Each character is one request: 's' from the shell, 'g' by the panel's gear button, 'c'
    // closes the window in between, which must not stop the controller.
    SettingsView* first = nullptr;
    for (const QChar request : QStringLiteral("gscs")) {
        if (request == u'c') {
            app.settingsWindow()->close();
            harness.copy("after closing");
            QCOMPARE(harness.viewModel.items().size(), std::size_t{1});
            continue;
        }
        if (request == u'g') {
            auto* gear = panel->findChild<QAbstractButton*>(QStringLiteral("settingsButton"));
            QCOMPARE(gear->toolTip(), QStringLiteral("设置 (Ctrl+,)"));
            QTest::mouseClick(gear, Qt::LeftButton);
        } else {
            app.showSettings();
        }
        QCOMPARE(settingsWindows(), 1L);
        first = first != nullptr ? first : app.settingsWindow();
        QCOMPARE(app.settingsWindow(), first);
        QVERIFY(first->isVisible());
        QVERIFY(QTest::qWaitFor([first] { return first->isActiveWindow(); }));
    }
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::NimbrookAppTest)
#include "NimbrookAppTest.moc"
