#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTest>
#include <string>

#include "ControllerHarness.h"
#include "ui/SettingsView.h"

namespace nimbrook {

class SettingsViewTest final : public QObject {
    Q_OBJECT

private slots:
    void showsExactlyTheDesignedTexts();
    void toggleFollowsTheController();
    void countFollowsTheController();
};

namespace {

QString textOf(const QWidget& root, const char* objectName) {
    const auto* label = root.findChild<QLabel*>(QString::fromUtf8(objectName));
    return label ? label->text()
                 : QStringLiteral("<missing %1>").arg(QString::fromUtf8(objectName));
}

}  // namespace

void SettingsViewTest::showsExactlyTheDesignedTexts() {
    ControllerHarness harness;
    SettingsView view(harness.viewModel);
    QCOMPARE(view.windowTitle(), QStringLiteral("设置"));
    view.show();
    // The designed width; the login row makes the form taller than the designed frame.
    QCOMPARE(view.width(), 380);
    QVERIFY(view.height() > 280);

    QSet<QString> texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        texts.insert(label->text());
    }
    const QSet<QString> expected{
        QStringLiteral("通用设置"), QStringLiteral("启用剪贴板监控"), QStringLiteral("登录时启动"),
        QStringLiteral("存储"),     QStringLiteral("历史记录上限"),   QStringLiteral("500 条"),
        QStringLiteral("当前记录"), QStringLiteral("0 条"),           QStringLiteral("关于"),
        QStringLiteral("应用名称"), QStringLiteral("萤川 Nimbrook"),  QStringLiteral("版本"),
        QStringLiteral("1.0.0"),    QStringLiteral("开发者"),         QStringLiteral("Quolla")};
    QCOMPARE(texts, expected);
    // The two switches are the only controls: no field, no stepper for the limit.
    QCOMPARE(view.findChildren<QAbstractButton*>().size(), 2);
    QVERIFY(view.findChildren<QLineEdit*>().isEmpty());
}

void SettingsViewTest::toggleFollowsTheController() {
    ControllerHarness harness;
    SettingsView view(harness.viewModel);
    view.show();
    auto* toggle = view.findChild<QAbstractButton*>(QStringLiteral("monitoringToggle"));
    QVERIFY(toggle);
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
    QVERIFY(harness.viewModel.isMonitoring());
    QCOMPARE(harness.viewModel.items().size(), std::size_t{1});
    QCOMPARE(harness.viewModel.items().front().content(), std::string("copy 1"));
}

void SettingsViewTest::countFollowsTheController() {
    ControllerHarness harness;
    const SettingsView view(harness.viewModel);
    QCOMPARE(textOf(view, "countValue"), QStringLiteral("0 条"));

    for (int i = 0; i < 501; ++i) {
        harness.copy("entry " + std::to_string(i));
    }
    QCOMPARE(textOf(view, "countValue"), QStringLiteral("500 条"));
    for (int i = 0; i < 2; ++i) {
        harness.viewModel.deleteItem(harness.viewModel.items().front());
    }
    QCOMPARE(textOf(view, "countValue"), QStringLiteral("498 条"));
    harness.viewModel.clearAll();
    QCOMPARE(textOf(view, "countValue"), QStringLiteral("0 条"));
    QCOMPARE(textOf(view, "limitValue"), QStringLiteral("500 条"));
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::SettingsViewTest)
#include "SettingsViewTest.moc"
