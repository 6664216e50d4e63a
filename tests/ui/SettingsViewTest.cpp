#include <QAbstractButton>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTest>

#include "ControllerHarness.h"
#include "desktop/DesktopPreferences.h"
#include "platform/qt/GlobalShortcut.h"
#include "ui/SettingsView.h"
#include "ui/ToggleSwitch.h"

namespace nimbrook {

class SettingsViewTest final : public QObject {
    Q_OBJECT

private slots:
    void showsTheDesignedTextsAndFollowsTheController();
    void shortcutRow_data();
    void shortcutRow();
};

namespace {

// A desktop where one chord is held by another program.
class HeldChordShortcut final : public GlobalShortcut {
protected:
    State grab(QKeyCombination chord) override {
        return chord == (Qt::CTRL | Qt::SHIFT | Qt::Key_H) ? State::taken : State::active;
    }
    void release() override {}
};

}  // namespace

void SettingsViewTest::showsTheDesignedTextsAndFollowsTheController() {
    ControllerHarness harness;
    HeldChordShortcut shortcut;
    DesktopPreferences preferences;
    SettingsView view(harness.viewModel, preferences, &shortcut);
    view.show();
    // The designed width; the login row makes the form taller than the designed frame.
    QCOMPARE(view.width(), 380);
    QVERIFY(view.height() > 280);

    QSet<QString> texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&view)) {
            texts.insert(label->text());
        }
    }
    const QStringList expected =
        QStringLiteral(
            "通用设置|启用剪贴板监控|登录时启动|打开面板快捷键|存储|历史记录上限|"
            "500 条|当前记录|0 条|关于|应用名称|萤川 Nimbrook|版本|1.0.0|开发者|Quolla")
            .split(u'|');
    QCOMPARE(texts, QSet<QString>(expected.begin(), expected.end()));
    // Two switches and the shortcut's field are the only controls: no stepper for the limit.
    QCOMPARE(view.findChildren<ToggleSwitch*>().size(), 2);
    QCOMPARE(view.findChildren<QLineEdit*>().size(), 1);
    QCOMPARE(view.findChild<QKeySequenceEdit*>()->accessibleName(),
             QStringLiteral("打开面板快捷键"));

    auto* toggle = view.findChild<QAbstractButton*>(QStringLiteral("monitoringToggle"));
    const auto* count = view.findChild<QLabel*>(QStringLiteral("countValue"));
    QVERIFY(toggle->isChecked());

    // 'v' flips the switch in the window, 'c' toggles through the controller (the panel's
    // footer), 'x' is a copy made by another program: only the second copy is captured.
    int copies = 0;
    for (const QChar step : QStringLiteral("vxvxcv")) {
        if (step == u'v') {
            QTest::mouseClick(toggle, Qt::LeftButton);
        } else if (step == u'c') {
            harness.viewModel.toggleMonitoring();
        } else {
            harness.copy("copy " + std::to_string(copies++));
        }
        QCOMPARE(toggle->isChecked(), harness.viewModel.isMonitoring());
    }
    QCOMPARE(harness.viewModel.items().front().content(), "copy 1");
    QCOMPARE(count->text(), QStringLiteral("1 条"));

    harness.copy("copy 2");
    harness.viewModel.deleteItem(harness.viewModel.items().back());
    QCOMPARE(count->text(), QStringLiteral("1 条"));
    harness.viewModel.clearAll();
    QCOMPARE(count->text(), QStringLiteral("0 条"));
}

namespace {

struct ShortcutCase {
    const char* tag;
    bool grabsKeys;
    const char* typed;
    bool cleared;
    const char* status;
    const char* nextStart;
};

const ShortcutCase shortcutCases[] = {
    {"a free chord", true, "Ctrl+Alt+K", false, "", "Ctrl+Alt+K"},
    {"a held chord", true, "Ctrl+Shift+H", false, "快捷键已被占用", "Ctrl+Shift+H"},
    {"a plain letter", true, "K", false, "此按键不能用作快捷键", "K"},
    {"the clear button turns it off", true, "", true, "", ""},
    {"no key grabs at all", false, "", false, "请在桌面的快捷键设置中绑定 nimbrook --toggle",
     "Meta+V"},
};

}  // namespace

void SettingsViewTest::shortcutRow_data() {
    QTest::addColumn<int>("index");
    for (int index = 0; index < int(std::size(shortcutCases)); ++index) {
        QTest::newRow(shortcutCases[index].tag) << index;
    }
}

void SettingsViewTest::shortcutRow() {
    QFETCH(int, index);
    const ShortcutCase& c = shortcutCases[index];
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    ControllerHarness harness;
    HeldChordShortcut shortcut;
    DesktopPreferences preferences;
    shortcut.setSequence(preferences.panelShortcut());
    SettingsView view(harness.viewModel, preferences, c.grabsKeys ? &shortcut : nullptr);
    view.show();
    auto* field = view.findChild<QKeySequenceEdit*>(QStringLiteral("shortcutEdit"));
    QCOMPARE(field->isEnabled(), c.grabsKeys);
    QCOMPARE(field->keySequence(), c.grabsKeys ? shortcut.sequence() : QKeySequence());

    const QKeySequence typed(QString::fromUtf8(c.typed));
    if (!typed.isEmpty()) {
        QTest::keyClick(field, typed[0].key(), typed[0].keyboardModifiers());
        // The field ends a recording a second after the last key.
        QVERIFY(QTest::qWaitFor([&] { return shortcut.sequence() == typed; }));
    }
    if (c.cleared) {
        field->findChild<QAbstractButton*>()->click();
        QCOMPARE(shortcut.state(), GlobalShortcut::State::off);
    }
    auto* shown = view.findChild<QLabel*>(QStringLiteral("shortcutStatus"));
    QCOMPARE(shown->isVisibleTo(&view) ? shown->text() : QString(), QString::fromUtf8(c.status));
    QCOMPARE(preferences.panelShortcut().toString(), QString::fromUtf8(c.nextStart));
    qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::SettingsViewTest)
#include "SettingsViewTest.moc"
