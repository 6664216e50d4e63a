#include <QAbstractButton>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include <gtest/gtest.h>

#include "ControllerHarness.h"
#include "platform/qt/GlobalShortcut.h"
#include "platform/qt/PanelShortcutSetting.h"
#include "ui/SettingsView.h"
#include "ui/ToggleSwitch.h"

namespace nimbrook {
namespace {

// A desktop where one chord is held by another program.
class HeldChordShortcut final : public GlobalShortcut {
public:
    QKeySequence held{QStringLiteral("Ctrl+Shift+H")};

protected:
    State grab(QKeyCombination chord) override {
        return QKeySequence(chord) == held ? State::taken : State::active;
    }
    void release() override {}
};

TEST(SettingsViewTest, showsTheDesignedTextsAndFollowsTheController) {
    ControllerHarness harness;
    HeldChordShortcut shortcut;
    SettingsView view(harness.viewModel, &shortcut);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("设置"));
    view.show();
    // The designed width; the login row makes the form taller than the designed frame.
    EXPECT_EQ(view.width(), 380);
    EXPECT_GT(view.height(), 280);

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
    EXPECT_EQ(texts, QSet<QString>(expected.begin(), expected.end()));
    // Two switches and the shortcut's field are the only controls: no stepper for the limit.
    EXPECT_EQ(view.findChildren<ToggleSwitch*>().size(), 2);
    EXPECT_EQ(view.findChildren<QLineEdit*>().size(), 1);
    EXPECT_EQ(view.findChild<QKeySequenceEdit*>()->accessibleName(),
              QStringLiteral("打开面板快捷键"));

    // The switch and the count follow the controller.
    auto* toggle = view.findChild<QAbstractButton*>(QStringLiteral("monitoringToggle"));
    const auto* count = view.findChild<QLabel*>(QStringLiteral("countValue"));
    EXPECT_TRUE(toggle->isChecked());

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
        EXPECT_EQ(toggle->isChecked(), harness.viewModel.isMonitoring());
    }
    EXPECT_TRUE(harness.viewModel.isMonitoring());
    ASSERT_EQ(harness.viewModel.items().size(), std::size_t{1});
    EXPECT_EQ(harness.viewModel.items().front().content(), "copy 1");
    EXPECT_EQ(count->text(), QStringLiteral("1 条"));

    harness.copy("copy 2");
    harness.viewModel.deleteItem(harness.viewModel.items().back());
    EXPECT_EQ(count->text(), QStringLiteral("1 条"));
    harness.viewModel.clearAll();
    EXPECT_EQ(count->text(), QStringLiteral("0 条"));
}

struct ShortcutCase {
    const char* tag;
    bool grabsKeys;
    const char* typed;
    bool cleared;
    const char* status;
    const char* nextStart;
};

const ShortcutCase shortcutCases[] = {
    {"nothing chosen starts with Super+V", true, "", false, "", "Meta+V"},
    {"a free chord", true, "Ctrl+Alt+K", false, "", "Ctrl+Alt+K"},
    {"a chord another program holds", true, "Ctrl+Shift+H", false, "快捷键已被占用",
     "Ctrl+Shift+H"},
    {"a plain letter would take it from every program", true, "K", false, "此按键不能用作快捷键",
     "K"},
    {"the clear button turns it off", true, "", true, "", ""},
    {"a desktop that lets no program take a key", false, "", false,
     "请在桌面的快捷键设置中绑定 nimbrook --toggle", "Meta+V"},
};

TEST(SettingsViewTest, shortcutRow) {
    for (const ShortcutCase& c : shortcutCases) {
        SCOPED_TRACE(c.tag);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        ControllerHarness harness;
        HeldChordShortcut shortcut;
        shortcut.setSequence(PanelShortcutSetting::load());
        SettingsView view(harness.viewModel, c.grabsKeys ? &shortcut : nullptr);
        view.show();
        auto* field = view.findChild<QKeySequenceEdit*>(QStringLiteral("shortcutEdit"));
        EXPECT_EQ(field->isEnabled(), c.grabsKeys);
        EXPECT_EQ(field->keySequence(), c.grabsKeys ? shortcut.sequence() : QKeySequence());

        const QKeySequence typed(QString::fromUtf8(c.typed));
        if (!typed.isEmpty()) {
            QTest::keyClick(field, typed[0].key(), typed[0].keyboardModifiers());
            // The field ends a recording a second after the last key.
            EXPECT_TRUE(QTest::qWaitFor([&] { return shortcut.sequence() == typed; }));
        }
        if (c.cleared) {
            field->findChild<QAbstractButton*>()->click();
            EXPECT_EQ(shortcut.state(), GlobalShortcut::State::off);
        }
        auto* shown = view.findChild<QLabel*>(QStringLiteral("shortcutStatus"));
        EXPECT_EQ(shown->isVisibleTo(&view) ? shown->text() : QString(),
                  QString::fromUtf8(c.status));
        EXPECT_EQ(PanelShortcutSetting::load().toString(), QString::fromUtf8(c.nextStart));
        qunsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace nimbrook
