#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <algorithm>

#include <gtest/gtest.h>

#include "ControllerHarness.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/NimbrookApp.h"
#include "ui/SettingsView.h"

namespace nimbrook {
namespace {

long settingsWindows() {
    return std::ranges::count_if(QApplication::topLevelWidgets(), [](const QWidget* widget) {
        return qobject_cast<const SettingsView*>(widget) != nullptr;
    });
}

// Offscreen there is no status area, so the shell shows the panel as a window at start; the
// settings window it opens stays single.
TEST(NimbrookAppTest, panelIsAWindowAndSettingsStaySingle) {
    ControllerHarness harness;
    NimbrookApp app(harness.viewModel);
    QWidget* panel = app.panel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowType(), Qt::Window);
    EXPECT_EQ(panel->size(), QSize(400, 520));
    EXPECT_NE(panel->findChild<ClipboardHistoryView*>(), nullptr);
    EXPECT_EQ(settingsWindows(), 0);
    panel->hide();
    app.openPanel();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));

    // Each character is one request: 's' from the shell, 'g' by the panel's gear button,
    // 'k' by Ctrl+Comma in the panel, 'c' closes the window in between, which must not stop
    // the controller.
    SettingsView* first = nullptr;
    for (const QChar request : QStringLiteral("gscks")) {
        if (request == u'c') {
            app.settingsWindow()->close();
            harness.copy("after closing");
            EXPECT_EQ(harness.viewModel.items().size(), std::size_t{1});
            continue;
        }
        if (request == u'g') {
            auto* gear = panel->findChild<QAbstractButton*>(QStringLiteral("settingsButton"));
            EXPECT_EQ(gear->toolTip(), QStringLiteral("设置 (Ctrl+,)"));
            QTest::mouseClick(gear, Qt::LeftButton);
        } else if (request == u'k') {
            panel->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
            QTest::keyClick(panel->findChild<ClipboardHistoryView*>(), Qt::Key_Comma,
                            Qt::ControlModifier);
        } else {
            app.showSettings();
        }
        ASSERT_EQ(settingsWindows(), 1);
        first = first != nullptr ? first : app.settingsWindow();
        EXPECT_EQ(app.settingsWindow(), first);
        EXPECT_TRUE(first->isVisible());
        EXPECT_TRUE(QTest::qWaitFor([first] { return first->isActiveWindow(); }));
    }
    EXPECT_EQ(first->windowTitle(), QStringLiteral("设置"));
}

}  // namespace
}  // namespace nimbrook
