#include <QDir>
#include <QPainter>
#include <QSet>

#include "PanelDriver.h"
#include "desktop/DesktopPreferences.h"
#include "ui/SettingsView.h"
#include "ui/Theme.h"

namespace nimbrook {

// Saves pictures of the panel and of the settings window into the build folder's
// "screenshots", so that a person can look at them, and checks that each was really drawn.
class ScreenshotTest final : public QObject {
    Q_OBJECT

private slots:
    void everyStateIsDrawnInTheLightAndInTheDark_data();
    void everyStateIsDrawnInTheLightAndInTheDark();
};

namespace {

using namespace std::chrono_literals;

void fillMixedHistory(ControllerHarness& harness) {
    const auto copy = [&harness](std::optional<std::string> source, InMemoryPasteboard::Offer offer,
                                 std::chrono::milliseconds later) {
        harness.activeApplication.setFrontmostName(std::move(source));
        harness.pasteboard.copy(std::move(offer));
        harness.clock.advance(later);
    };
    copy("Files", {.png = std::string("\x89PNG\r\n\x1a\n", 8)}, 50min);
    copy("Firefox ESR", {.text = "https://example.org/docs/getting-started?lang=zh"}, 30min);
    copy("终端", {.text = "git log --oneline | head -20\nmake -j2 && ./run"}, 40min);
    copy(std::nullopt, {.text = "会议改到周四下午三点，地点不变。"}, 20min);
    copy("Visual Studio Code", {.text = "let message = greet(\"World\")\nprint(message)"}, 15min);
    copy("Obsidian", {.text = "# 周报\n\n- **完成**: 搜索\n- [链接](https://example.org)"}, 9min);
    copy("微信", {.text = "{\"user\": {\"id\": 42, \"name\": \"林\"}, \"tags\": []}"}, 95'000ms);
    copy("", {.text = "A name-less application copied this plain sentence."}, 5000ms);
}

// Each picture and its steps; "settings" is the settings window over the same history.
const std::pair<QString, QString> shots[] = {
    {u"panel-empty"_s, {}},
    {u"panel-history"_s, {}},
    {u"panel-hover-menu"_s, u"menu:1"_s},
    {u"panel-confirm"_s, u"press:clearAllButton"_s},
    {u"panel-toast"_s, u"menu:1 Down Return hover:1"_s},
    {u"panel-selection"_s, u"drag:0.5-1.14"_s},
    {u"panel-wrapped"_s, u"words:40 hover:1"_s},
    {u"panel-pinned"_s, u"pin:3 pin:5 hover:0"_s},
    {u"panel-confirm-pinned"_s, u"pin:3 press:clearAllButton"_s},
    {u"panel-images"_s, u"image:missing image:clear image:wide image:small hover:1"_s},
    {u"panel-preview-text"_s, u"Down Down Down Ctrl+Y"_s},
    {u"panel-preview-image"_s, u"image:wide Ctrl+Y"_s},
    {u"settings"_s, {}},
    {u"settings-ignored"_s, u"ignore:KeePassXC,1Password"_s},
};

}  // namespace

void ScreenshotTest::everyStateIsDrawnInTheLightAndInTheDark_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("dark");
    for (const bool dark : {false, true}) {
        for (const auto& [state, steps] : shots) {
            QTest::newRow(qPrintable(state + (dark ? u"-dark"_s : u"-light"_s)))
                << state << steps << dark;
        }
    }
}

void ScreenshotTest::everyStateIsDrawnInTheLightAndInTheDark() {
    QFETCH(QString, state);
    QFETCH(QString, steps);
    QFETCH(bool, dark);
    QApplication::setPalette(Theme(dark ? Appearance::dark : Appearance::light).palette());
    PanelDriver panel;
    if (state != u"panel-empty") {
        fillMixedHistory(panel.harness);
    }
    // Keys go to the window that has the keyboard.
    panel.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel.view.get()));
    for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
        panel.step(step);
    }
    DesktopPreferences preferences;
    SettingsView settings(panel.harness.viewModel, preferences);
    QWidget* window =
        state.startsWith(u"settings") ? static_cast<QWidget*>(&settings) : panel.view.get();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    if (state == u"panel-toast") {
        // Lets the entry animation come to rest.
        QTest::qWait(700);
    }
    QImage shot = window->grab().toImage();
    // An open conversion menu is a window of its own, drawn here where it stands on the screen.
    QMenu* menu = panel.view->findChild<ClipboardItemRow*>()->openMenu();
    if (menu != nullptr && menu->isVisible()) {
        QPainter(&shot).drawPixmap(window->mapFromGlobal(menu->pos()), menu->grab());
    }
    // The entry preview stands beside the panel: the picture widens to hold both.
    if (auto* preview = panel.view->findChild<EntryPreview*>(); preview && preview->isVisible()) {
        const QRect both = window->geometry().united(preview->geometry());
        QImage wide(both.size(), QImage::Format_RGB32);
        wide.fill(Qt::gray);
        QPainter painter(&wide);
        painter.drawImage(window->geometry().topLeft() - both.topLeft(), shot);
        painter.drawPixmap(preview->geometry().topLeft() - both.topLeft(), preview->grab());
        painter.end();
        shot = wide;
    }
    // The corner shows the window of the chosen appearance.
    QCOMPARE(QColor(shot.pixel(2, 2)).lightness() < 128, dark);
    const QDir build(QCoreApplication::applicationDirPath() + u"/../.."_s);
    build.mkpath(u"screenshots"_s);
    QVERIFY(shot.save(
        build.filePath(u"screenshots/%1.png"_s.arg(QLatin1StringView(QTest::currentDataTag())))));
    // More than a few colours: more was drawn than a blank window.
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            colours.insert(shot.pixel(x, y));
        }
    }
    QVERIFY2(colours.size() > 20, "the window looks blank");
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::ScreenshotTest)
#include "ScreenshotTest.moc"
