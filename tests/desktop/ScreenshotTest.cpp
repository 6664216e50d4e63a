#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QSet>
#include <QTest>
#include <chrono>
#include <string>

#include "PanelDriver.h"
#include "ui/SettingsView.h"
#include "ui/Theme.h"

Q_DECLARE_METATYPE(nimbrook::Appearance)

namespace nimbrook {

// Saves pictures of the panel and of the settings window into the build folder's
// "screenshots", so that a person can look at them, and checks that each was really drawn.
class ScreenshotTest final : public QObject {
    Q_OBJECT

private slots:
    void panel_data();
    void panel();
    void settings_data();
    void settings();
};

namespace {

using std::chrono::milliseconds;
using std::chrono::minutes;

// A few hours before the real now, so that rows show plausible relative times.
Timestamp hoursAgo() {
    return Timestamp::fromUnixSeconds(
        static_cast<double>(QDateTime::currentSecsSinceEpoch() - 3 * 3600));
}

// Copies of several kinds, each from its own application, minutes apart.
void fillMixedHistory(ControllerHarness& harness) {
    const auto copy = [&harness](std::optional<std::string> source, InMemoryPasteboard::Offer offer,
                                 milliseconds later) {
        harness.activeApplication.setFrontmostName(std::move(source));
        harness.pasteboard.copy(std::move(offer));
        harness.clock.advance(later);
    };
    copy("Files", {.png = std::string("\x89PNG\r\n\x1a\n", 8)}, minutes(50));
    copy("Firefox ESR", {.text = "https://example.org/docs/getting-started?lang=zh"}, minutes(30));
    copy("终端", {.text = "git log --oneline | head -20\nmake -j2 && ./run"}, minutes(40));
    copy(std::nullopt, {.text = "会议改到周四下午三点，地点不变。"}, minutes(20));
    copy("Visual Studio Code", {.text = "let message = greet(name: \"World\")\nprint(message)"},
         minutes(15));
    copy("Obsidian", {.text = "# 周报\n\n- **完成**: 搜索\n- [链接](https://example.org)"},
         minutes(9));
    copy("微信", {.text = "{\"user\": {\"id\": 42, \"name\": \"林\"}, \"tags\": [\"a\", \"b\"]}"},
         milliseconds(95'000));
    copy("", {.text = "A name-less application copied this plain sentence."}, milliseconds(5000));
}

// Each state, its steps for PanelDriver after a colon, in the light and in the dark.
void addAppearanceRows(std::initializer_list<const char*> states) {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<Appearance>("appearance");
    for (const auto& [tag, appearance] :
         {std::pair{"light", Appearance::light}, std::pair{"dark", Appearance::dark}}) {
        for (const char* state : states) {
            const QString name = QString::fromUtf8(state).section(u':', 0, 0);
            QTest::addRow("%s-%s", qPrintable(name), tag)
                << name << QString::fromUtf8(state).section(u':', 1).split(u' ', Qt::SkipEmptyParts)
                << appearance;
        }
    }
}

// The panel with any open conversion menu drawn where it stands on the screen.
QImage grabWithMenu(QWidget& panel) {
    QImage image = panel.grab().toImage();
    if (auto* menu = panel.findChild<QMenu*>(QStringLiteral("conversionMenu"));
        menu != nullptr && menu->isVisible()) {
        QPainter painter(&image);
        painter.drawPixmap(panel.mapFromGlobal(menu->pos()), menu->grab());
    }
    return image;
}

// Saves the shot as "<prefix><data tag>.png" and tells whether it holds more than
// `minimum` colours, that is whether anything but a blank window was drawn.
bool saveAndCheckDrawn(const QImage& shot, const char* prefix, int minimum) {
    QDir build(QCoreApplication::applicationDirPath());
    build.cdUp();
    build.cdUp();
    build.mkpath(QStringLiteral("screenshots"));
    const QString name =
        QStringLiteral("%1%2.png")
            .arg(QString::fromUtf8(prefix), QString::fromUtf8(QTest::currentDataTag()));
    if (!shot.save(build.filePath(QStringLiteral("screenshots/") + name))) {
        return false;
    }
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            colours.insert(shot.pixel(x, y));
        }
    }
    return colours.size() > minimum;
}

}  // namespace

void ScreenshotTest::panel_data() {
    addAppearanceRows({"empty", "history", "hover-menu:menu:1", "confirm:press:clearAllButton",
                       "toast:menu:1 Down Return hover:1", "selection:drag:0.5-1.14@5"});
}

void ScreenshotTest::panel() {
    QFETCH(QString, state);
    QFETCH(QStringList, steps);
    QFETCH(Appearance, appearance);
    QApplication::setPalette(Theme(appearance).palette());

    PanelDriver panel({}, hoursAgo());
    if (state != u"empty") {
        fillMixedHistory(panel.harness);
    }
    for (const QString& step : steps) {
        panel.step(step);
    }
    if (state == u"toast") {
        // Lets the entry animation come to rest.
        QTest::qWait(700);
    }
    const QImage shot = grabWithMenu(*panel.view);

    QCOMPARE(shot.size(), QSize(400, 520) * panel.view->devicePixelRatio());
    QVERIFY2(saveAndCheckDrawn(shot, "panel-", state == u"empty" ? 20 : 100),
             "the panel looks blank");
}

void ScreenshotTest::settings_data() {
    addAppearanceRows({"settings"});
}

void ScreenshotTest::settings() {
    QFETCH(Appearance, appearance);
    QApplication::setPalette(Theme(appearance).palette());

    ControllerHarness harness;
    for (int i = 0; i < 37; ++i) {
        harness.copy("entry " + std::to_string(i));
    }
    SettingsView view(harness.viewModel);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QImage shot = view.grab().toImage();

    QVERIFY(shot.width() >= 380 && shot.height() >= 280);
    // The corner shows the window of the chosen appearance.
    QCOMPARE(QColor(shot.pixel(2, 2)).lightness() < 128, appearance == Appearance::dark);
    QVERIFY2(saveAndCheckDrawn(shot, "", 50), "the window looks blank");
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::ScreenshotTest)
#include "ScreenshotTest.moc"
