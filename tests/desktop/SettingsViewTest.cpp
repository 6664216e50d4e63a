#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTest>
#include <string>

#include "ControllerHarness.h"
#include "ui/SettingsView.h"
#include "ui/Theme.h"

Q_DECLARE_METATYPE(nimbrook::Appearance)

namespace nimbrook {

class SettingsViewTest final : public QObject {
    Q_OBJECT

private slots:
    void showsExactlyTheDesignedTexts();
    void toggleFollowsTheController_data();
    void toggleFollowsTheController();
    void countFollowsTheController_data();
    void countFollowsTheController();
    void screenshot_data();
    void screenshot();
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
    const SettingsView view(harness.viewModel);
    QCOMPARE(view.windowTitle(), QStringLiteral("设置"));

    QSet<QString> texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        texts.insert(label->text());
    }
    const QSet<QString> expected{QStringLiteral("通用设置"), QStringLiteral("启用剪贴板监控"),
                                 QStringLiteral("存储"),     QStringLiteral("历史记录上限"),
                                 QStringLiteral("500 条"),   QStringLiteral("当前记录"),
                                 QStringLiteral("0 条"),     QStringLiteral("关于"),
                                 QStringLiteral("应用名称"), QStringLiteral("萤川 Nimbrook"),
                                 QStringLiteral("版本"),     QStringLiteral("1.0.0"),
                                 QStringLiteral("开发者"),   QStringLiteral("Quolla")};
    QCOMPARE(texts, expected);
    // The toggle is the only control: no field, no stepper for the limit.
    QCOMPARE(view.findChildren<QAbstractButton*>().size(), 1);
    QVERIFY(view.findChildren<QLineEdit*>().isEmpty());
}

void SettingsViewTest::toggleFollowsTheController_data() {
    // Steps: 'v' flips the switch in the window, 'c' toggles through the controller (the
    // panel's footer), 'x' is a copy made by another program.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("monitoring");
    QTest::addColumn<int>("captured");
    QTest::newRow("untouched") << QString() << true << 0;
    QTest::newRow("switch off in the window") << QStringLiteral("v") << false << 0;
    QTest::newRow("off then on in the window") << QStringLiteral("vv") << true << 0;
    QTest::newRow("off in the panel") << QStringLiteral("c") << false << 0;
    QTest::newRow("off in the panel, on in the window") << QStringLiteral("cv") << true << 0;
    QTest::newRow("paused copies are not captured") << QStringLiteral("vx") << false << 0;
    QTest::newRow("capture resumes after switching on") << QStringLiteral("vvx") << true << 1;
}

void SettingsViewTest::toggleFollowsTheController() {
    QFETCH(QString, steps);
    QFETCH(bool, monitoring);
    QFETCH(int, captured);

    ControllerHarness harness;
    SettingsView view(harness.viewModel);
    view.show();
    auto* toggle = view.findChild<QAbstractButton*>(QStringLiteral("monitoringToggle"));
    QVERIFY(toggle);
    QVERIFY(toggle->isChecked());

    int copies = 0;
    for (const QChar step : steps) {
        if (step == u'v') {
            QTest::mouseClick(toggle, Qt::LeftButton);
        } else if (step == u'c') {
            harness.viewModel.toggleMonitoring();
        } else {
            harness.copy("copy " + std::to_string(copies++));
        }
        QCOMPARE(toggle->isChecked(), harness.viewModel.isMonitoring());
    }
    QCOMPARE(harness.viewModel.isMonitoring(), monitoring);
    QCOMPARE(harness.viewModel.items().size(), static_cast<std::size_t>(captured));
}

void SettingsViewTest::countFollowsTheController_data() {
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("deletions");
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one copy") << 1 << 0 << false << QStringLiteral("1 条");
    QTest::newRow("copies") << 37 << 0 << false << QStringLiteral("37 条");
    QTest::newRow("deleted in the panel") << 5 << 2 << false << QStringLiteral("3 条");
    QTest::newRow("cleared in the panel") << 5 << 0 << true << QStringLiteral("0 条");
    QTest::newRow("at the limit") << 500 << 0 << false << QStringLiteral("500 条");
    QTest::newRow("past the limit, no grouping") << 1203 << 0 << false << QStringLiteral("500 条");
}

void SettingsViewTest::countFollowsTheController() {
    QFETCH(int, copies);
    QFETCH(int, deletions);
    QFETCH(bool, clear);
    QFETCH(QString, expected);

    ControllerHarness harness;
    const SettingsView view(harness.viewModel);
    QCOMPARE(textOf(view, "countValue"), QStringLiteral("0 条"));
    for (int i = 0; i < copies; ++i) {
        harness.copy("entry " + std::to_string(i));
    }
    for (int i = 0; i < deletions; ++i) {
        harness.viewModel.deleteItem(harness.viewModel.items().front());
    }
    if (clear) {
        harness.viewModel.clearAll();
    }
    QCOMPARE(textOf(view, "countValue"), expected);
    QCOMPARE(textOf(view, "limitValue"), QStringLiteral("500 条"));
}

void SettingsViewTest::screenshot_data() {
    QTest::addColumn<Appearance>("appearance");
    QTest::newRow("light") << Appearance::light;
    QTest::newRow("dark") << Appearance::dark;
}

void SettingsViewTest::screenshot() {
    QFETCH(Appearance, appearance);
    const QPalette original = QApplication::palette();
    QApplication::setPalette(Theme(appearance).palette());

    ControllerHarness harness;
    for (int i = 0; i < 37; ++i) {
        harness.copy("entry " + std::to_string(i));
    }
    SettingsView view(harness.viewModel);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QImage shot = view.grab().toImage();
    QApplication::setPalette(original);

    const QString file =
        QDir(QCoreApplication::applicationDirPath())
            .filePath(
                QStringLiteral("settings-%1.png").arg(QString::fromUtf8(QTest::currentDataTag())));
    QVERIFY(shot.save(file));

    QVERIFY(shot.width() >= 380 && shot.height() >= 280);
    // The corner shows the window of the chosen appearance, and text was drawn on it.
    const bool darkCorner = QColor(shot.pixel(2, 2)).lightness() < 128;
    QCOMPARE(darkCorner, appearance == Appearance::dark);
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            colours.insert(shot.pixel(x, y));
        }
    }
    QVERIFY2(colours.size() > 50, "the window looks blank");
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::SettingsViewTest)
#include "SettingsViewTest.moc"
