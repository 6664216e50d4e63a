#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
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
    QCOMPARE(view.findChild<QLineEdit*>()->accessibleName(), QStringLiteral("打开面板快捷键"));

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
    // "click" the field, "focus" it as Tab does, "clear" its button, hold "Alt" alone and
    // release it, "im:" an input method's commit, or type a chord.
    const char* steps;
    const char* shown;
    const char* status;
    // The chord held for the program after the steps, and the one the next start takes.
    const char* held;
    const char* nextStart;
};

const ShortcutCase shortcutCases[] = {
    {"a key before any click", true, "Ctrl+Alt+K", "Super+V", "", "Meta+V", "Meta+V"},
    {"a click then a free chord", true, "click Ctrl+Alt+K", "Ctrl+Alt+K", "", "Ctrl+Alt+K",
     "Ctrl+Alt+K"},
    {"Return on the focused field then a chord with Super", true, "focus Return Meta+Shift+F5",
     "Super+Shift+F5", "", "Meta+Shift+F5", "Meta+Shift+F5"},
    {"a held chord", true, "click Ctrl+Shift+H", "Ctrl+Shift+H", "快捷键已被占用", "Ctrl+Shift+H",
     "Ctrl+Shift+H"},
    {"a plain letter", true, "click K", "K", "此按键不能用作快捷键", "K", "K"},
    // The panel's chord is let go while recording, so that it reaches the field.
    {"Alt alone keeps recording", true, "click Alt", "请按下快捷键…", "", "", "Meta+V"},
    {"an input method's text keeps recording", true, "click im:中", "请按下快捷键…", "", "",
     "Meta+V"},
    {"Escape keeps the old chord", true, "click Esc", "Super+V", "", "Meta+V", "Meta+V"},
    {"leaving the field keeps the old chord", true, "click Tab", "Super+V", "", "Meta+V", "Meta+V"},
    {"the clear button turns it off", true, "clear", "", "", "", ""},
    {"no key grabs at all", false, "click Ctrl+Alt+K", "",
     "请在桌面的快捷键设置中绑定 nimbrook --toggle", "Meta+V", "Meta+V"},
};

void runStep(QLineEdit& field, const QString& step) {
    if (step == u"click") {
        QTest::mouseClick(&field, Qt::LeftButton);
    } else if (step == u"focus") {
        field.setFocus(Qt::TabFocusReason);
    } else if (step == u"clear") {
        field.findChild<QAbstractButton*>()->click();
    } else if (step == u"Alt") {
        QTest::keyClick(&field, Qt::Key_Alt);
    } else if (step.startsWith(u"im:")) {
        QInputMethodEvent commit;
        commit.setCommitString(step.mid(3));
        QApplication::sendEvent(&field, &commit);
    } else {
        const QKeyCombination chord = QKeySequence(step)[0];
        QTest::keyClick(&field, chord.key(), chord.keyboardModifiers());
    }
}

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
    QVERIFY(QTest::qWaitForWindowActive(&view));
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("shortcutEdit"));
    QCOMPARE(field->isEnabled(), c.grabsKeys);

    for (const QString& step : QString::fromUtf8(c.steps).split(u' ', Qt::SkipEmptyParts)) {
        runStep(*field, step);
    }
    QCOMPARE(field->text(), QString::fromUtf8(c.shown));
    auto* status = view.findChild<QLabel*>(QStringLiteral("shortcutStatus"));
    QCOMPARE(status->isVisibleTo(&view) ? status->text() : QString(), QString::fromUtf8(c.status));
    QCOMPARE(shortcut.sequence().toString(), QString::fromUtf8(c.held));
    QCOMPARE(preferences.panelShortcut().toString(), QString::fromUtf8(c.nextStart));
    qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::SettingsViewTest)
#include "SettingsViewTest.moc"
