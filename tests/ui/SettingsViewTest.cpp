#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTest>

#include "ControllerHarness.h"
#include "desktop/DesktopPreferences.h"
#include "platform/qt/GlobalShortcut.h"
#include "ui/IgnoreListKeeper.h"
#include "ui/SettingsView.h"
#include "ui/ToggleSwitch.h"

namespace nimbrook {

using namespace Qt::StringLiterals;

class SettingsViewTest final : public QObject {
    Q_OBJECT

private slots:
    void showsTheDesignedTextsAndFollowsTheController();
    void shortcutRow_data();
    void shortcutRow();
    void ignoredApps_data();
    void ignoredApps();
    void imageSize_data();
    void imageSize();
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
            "通用设置|启用剪贴板监控|登录时启动|选择后直接粘贴|打开面板快捷键|存储|历史记录上限|"
            "500 条|当前记录|0 条|图片占用|0 "
            "B|不记录的应用|不记录以下应用的复制内容|尚未添加应用|关于|"
            "应用名称|萤川 Nimbrook|版本|1.0.0|开发者|Quolla")
            .split(u'|');
    QCOMPARE(texts, QSet<QString>(expected.begin(), expected.end()));
    // Three switches and the shortcut's field are the only controls: no stepper for the limit.
    QCOMPARE(view.findChildren<ToggleSwitch*>().size(), 3);
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

namespace {

// "copy:App" copies a text from App, "add:Name" types Name into the add menu's field and
// presses Return, "offer:Name" picks Name among the menu's programs, "remove:n" removes the
// n-th row; "_" stands for a space.
void runIgnoreStep(ControllerHarness& harness, SettingsView& view, const QString& step) {
    const QString argument = step.section(u':', 1).replace(u'_', u' ');
    auto* menu = view.findChild<QMenu*>(QStringLiteral("addIgnoredMenu"));
    if (step.startsWith(u"copy:")) {
        harness.activeApplication.setFrontmostName(argument.toStdString());
        harness.copy("from " + argument.toStdString());
    } else if (step.startsWith(u"add:")) {
        emit menu->aboutToShow();
        auto* field = menu->findChild<QLineEdit*>(QStringLiteral("ignoredNameField"));
        field->setText(argument);
        QTest::keyClick(field, Qt::Key_Return);
    } else if (step.startsWith(u"offer:")) {
        emit menu->aboutToShow();
        for (QAction* action : menu->actions()) {
            if (action->text() == argument) {
                action->trigger();
            }
        }
    } else if (step.startsWith(u"remove:")) {
        QList<QAbstractButton*> buttons;
        for (QAbstractButton* button :
             view.findChildren<QAbstractButton*>(QStringLiteral("removeIgnoredButton"))) {
            if (button->isVisibleTo(&view)) {
                buttons << button;
            }
        }
        buttons.at(argument.toInt())->click();
    }
}

// The programs the add menu offers, the rows listed, and whether each caption shows.
QString ignoreState(SettingsView& view) {
    auto* menu = view.findChild<QMenu*>(QStringLiteral("addIgnoredMenu"));
    emit menu->aboutToShow();
    QStringList offered;
    for (const QAction* action : menu->actions()) {
        if (!action->text().isEmpty()) {
            offered << action->text();
        }
    }
    QStringList rows;
    for (const QLabel* name : view.findChildren<QLabel*>(QStringLiteral("ignoredAppName"))) {
        if (name->isVisibleTo(&view)) {
            rows << name->text();
        }
    }
    const auto shows = [&view](const char* name) {
        return QString::number(
            view.findChild<QLabel*>(QLatin1StringView(name))->isVisibleTo(&view));
    };
    return offered.join(u',') + u" / " + rows.join(u',') + u" / " + shows("ignoredAppsEmpty") +
           shows("ignoredAppsNote");
}

}  // namespace

void SettingsViewTest::ignoredApps_data() {
    QTest::addColumn<bool>("reports");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("state");
    QTest::newRow("empty by default") << true << u""_s << u" /  / 10"_s;
    QTest::newRow("the history's programs are offered, once each")
        << true << u"copy:Kate copy:微信 copy:Kate"_s << u"微信,Kate /  / 10"_s;
    QTest::newRow("a typed name is trimmed; one listed is offered no more")
        << true << u"copy:Kate copy:GIMP add:_Kate_"_s << u"GIMP / Kate / 00"_s;
    QTest::newRow("a picked program, then the same name in capitals")
        << true << u"copy:KeePassXC offer:KeePassXC add:KEEPASSXC add:"_s << u" / KeePassXC / 00"_s;
    QTest::newRow("removing a row offers its program again")
        << true << u"copy:Kate add:kate add:pass remove:0"_s << u"Kate / pass / 00"_s;
    QTest::newRow("a desktop that never names the source")
        << false << u"add:pass"_s << u" / pass / 01"_s;
}

// The list goes to nimbrook.conf and comes back at the next start.
void SettingsViewTest::ignoredApps() {
    QFETCH(bool, reports);
    QFETCH(QString, steps);
    QFETCH(QString, state);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    DesktopPreferences preferences;
    std::vector<std::string> kept;
    {
        ControllerHarness harness;
        harness.activeApplication.setReportsApplications(reports);
        IgnoreListKeeper keeper(harness.viewModel, preferences);
        SettingsView view(harness.viewModel, preferences);
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            runIgnoreStep(harness, view, step);
        }
        QCOMPARE(ignoreState(view), state);
        kept = harness.viewModel.ignoredApplications();
    }
    ControllerHarness next;
    IgnoreListKeeper keeper(next.viewModel, preferences);
    QCOMPARE(next.viewModel.ignoredApplications(), kept);
    qunsetenv("XDG_CONFIG_HOME");
}

// "png:N" copies a PNG of N bytes, "delete" removes the newest entry, "wait" lets its save
// and the removal of its file run.
void SettingsViewTest::imageSize_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("shown");
    QTest::newRow("bytes") << u"png:999"_s << u"999 B"_s;
    QTest::newRow("kilobytes") << u"png:1000"_s << u"1.0 KB"_s;
    QTest::newRow("rounded up to the next unit") << u"png:999950"_s << u"1.0 MB"_s;
    QTest::newRow("two images summed") << u"png:12000000 png:400000"_s << u"12.4 MB"_s;
    QTest::newRow("a deleted entry's file only after the save")
        << u"png:2000 png:3000 delete"_s << u"5.0 KB"_s;
    QTest::newRow("the save removes it") << u"png:2000 png:3000 delete wait"_s << u"2.0 KB"_s;
}

void SettingsViewTest::imageSize() {
    QFETCH(QString, steps);
    QFETCH(QString, shown);
    ControllerHarness harness;
    DesktopPreferences preferences;
    SettingsView view(harness.viewModel, preferences);
    for (const QString& step : steps.split(u' ')) {
        if (step.startsWith(u"png:")) {
            harness.pasteboard.copy({.png = std::string(step.mid(4).toULongLong(), 'p')});
            harness.clock.advance(std::chrono::milliseconds(500));
        } else if (step == u"delete") {
            harness.viewModel.deleteItem(harness.viewModel.items().front());
        } else {
            harness.clock.advance(std::chrono::seconds(1));
        }
    }
    QCOMPARE(view.findChild<QLabel*>(QStringLiteral("imageSizeValue"))->text(), shown);
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::SettingsViewTest)
#include "SettingsViewTest.moc"
