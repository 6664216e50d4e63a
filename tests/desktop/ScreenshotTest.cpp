#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QTest>
#include <chrono>
#include <string>

#include "ControllerHarness.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/ClipboardItemRow.h"
#include "ui/ItemRowPainter.h"
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

// A controller whose clock stands a few hours before the real now, so that rows show
// plausible relative times.
struct Scene final : ControllerHarness {
    Scene()
        : ControllerHarness(Timestamp::fromUnixSeconds(
              static_cast<double>(QDateTime::currentSecsSinceEpoch() - 3 * 3600))) {}

    void copy(std::optional<std::string> source, InMemoryPasteboard::Offer offer,
              milliseconds later) {
        activeApplication.setFrontmostName(std::move(source));
        pasteboard.copy(std::move(offer));
        clock.advance(later);
    }

    void fillMixedHistory() {
        copy("Files", {.png = std::string("\x89PNG\r\n\x1a\n", 8)}, minutes(50));
        copy("Firefox ESR", {.text = "https://example.org/docs/getting-started?lang=zh"},
             minutes(30));
        copy("终端", {.text = "git log --oneline | head -20\nmake -j2 && ./run"}, minutes(40));
        copy(std::nullopt, {.text = "会议改到周四下午三点，地点不变。"}, minutes(20));
        copy("Visual Studio Code", {.text = "let message = greet(name: \"World\")\nprint(message)"},
             minutes(15));
        copy("Obsidian", {.text = "# 周报\n\n- **完成**: 搜索\n- [链接](https://example.org)"},
             minutes(9));
        copy("微信",
             {.text = "{\"user\": {\"id\": 42, \"name\": \"林\"}, \"tags\": [\"a\", \"b\"]}"},
             milliseconds(95'000));
        copy("", {.text = "A name-less application copied this plain sentence."},
             milliseconds(5000));
    }
};

void addAppearanceRows(const QStringList& states) {
    QTest::addColumn<QString>("state");
    QTest::addColumn<Appearance>("appearance");
    for (const auto& [tag, appearance] :
         {std::pair{"light", Appearance::light}, std::pair{"dark", Appearance::dark}}) {
        for (const QString& state : states) {
            QTest::addRow("%s-%s", qPrintable(state), tag) << state << appearance;
        }
    }
}

void hover(QWidget* viewport, const QPoint& position, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, position, viewport->mapToGlobal(position), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
}

// Drags over the two lines of the preview of `row`, from inside the first to inside the second.
void selectAcross(QWidget* viewport, const QRect& row) {
    const QRect preview = ItemRowPainter().previewRect(row, 2);
    const QPoint from = preview.topLeft() + QPoint(40, preview.height() / 4);
    const QPoint to = preview.topLeft() + QPoint(100, preview.height() * 3 / 4);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    hover(viewport, to, Qt::LeftButton);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
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
    addAppearanceRows({QStringLiteral("empty"), QStringLiteral("history"),
                       QStringLiteral("hover-menu"), QStringLiteral("confirm"),
                       QStringLiteral("toast"), QStringLiteral("selection")});
}

void ScreenshotTest::panel() {
    QFETCH(QString, state);
    QFETCH(Appearance, appearance);
    QApplication::setPalette(Theme(appearance).palette());

    Scene scene;
    if (state != u"empty") {
        scene.fillMixedHistory();
    }
    ClipboardHistoryView view(scene.viewModel);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* list = view.findChild<QListView*>(QStringLiteral("historyList"));
    const QRect jsonRow = list->visualRect(list->model()->index(1, 0));

    if (state == u"hover-menu") {
        hover(list->viewport(), jsonRow.center());
        QTest::mouseClick(
            list->viewport(), Qt::LeftButton, {},
            ClipboardItemRow::menuButtonRect(jsonRow.adjusted(0, 0, 0, -1), ContentType::json)
                .center());
        auto* menu = view.findChild<QMenu*>(QStringLiteral("conversionMenu"));
        QVERIFY(menu != nullptr);
        QTRY_VERIFY(menu->isVisible());
    } else if (state == u"selection") {
        selectAcross(list->viewport(), list->visualRect(list->model()->index(5, 0)));
    } else if (state == u"confirm") {
        QTest::mouseClick(view.findChild<QAbstractButton*>(QStringLiteral("clearAllButton")),
                          Qt::LeftButton);
    } else if (state == u"toast") {
        hover(list->viewport(), jsonRow.center());
        scene.viewModel.copyConverted(scene.viewModel.items().at(1),
                                      SmartConverter::Conversion::prettifyJSON);
        // Lets the entry animation come to rest.
        QTest::qWait(700);
    }
    const QImage shot = grabWithMenu(view);

    QCOMPARE(shot.size(), QSize(400, 520) * view.devicePixelRatio());
    QVERIFY2(saveAndCheckDrawn(shot, "panel-", state == u"empty" ? 20 : 100),
             "the panel looks blank");
}

void ScreenshotTest::settings_data() {
    addAppearanceRows({QStringLiteral("settings")});
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
