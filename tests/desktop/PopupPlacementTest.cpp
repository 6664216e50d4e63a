#include <QTest>

#include "ui/PopupPlacement.h"

namespace nimbrook {

class PopupPlacementTest final : public QObject {
    Q_OBJECT

private slots:
    void staysInsideTheAvailableArea_data();
    void staysInsideTheAvailableArea();
};

namespace {

const QSize panel(400, 520);

}  // namespace

void PopupPlacementTest::staysInsideTheAvailableArea_data() {
    QTest::addColumn<QRect>("icon");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("corner");

    const auto row = [](const char* name, QRect icon, QPoint pointer, QRect area, QPoint corner) {
        QTest::newRow(name) << icon << pointer << area << corner;
    };
    const QRect topBar(0, 28, 1920, 1052);  // a 28-pixel bar along the top
    row("top bar, icon at the right end", {1890, 2, 24, 24}, {}, topBar, {1520, 28});
    row("top bar, icon in the middle", {948, 2, 24, 24}, {}, topBar, {759, 28});
    row("bottom panel, icon at the right end", {1880, 1044, 32, 32}, {}, {0, 0, 1920, 1036},
        {1520, 516});
    row("left panel, icon at the top", {8, 10, 32, 32}, {}, {48, 0, 1872, 1080}, {48, 42});
    row("right panel, icon at the bottom", {1880, 1040, 32, 32}, {}, {0, 0, 1872, 1080},
        {1472, 520});
    row("no geometry: the pointer on a top bar", {}, {1900, 14}, topBar, {1520, 28});
    row("zero-sized geometry counts as none", {1900, 10, 0, 0}, {500, 14}, topBar, {300, 28});
    row("second screen to the right", {3170, 2, 24, 24}, {}, {1920, 28, 1280, 996}, {2800, 28});
    row("area lower than the panel: pinned to its top", {100, 2, 24, 24}, {}, {0, 28, 1024, 400},
        {0, 28});
    row("area narrower than the panel: pinned to its left", {100, 2, 24, 24}, {},
        {10, 28, 300, 1000}, {10, 28});
    row("neither side has room: the roomier side", {100, 400, 24, 24}, {}, {0, 0, 1024, 700},
        {0, 0});
}

void PopupPlacementTest::staysInsideTheAvailableArea() {
    QFETCH(QRect, icon);
    QFETCH(QPoint, pointer);
    QFETCH(QRect, area);
    QFETCH(QPoint, corner);

    const QRect placed = PopupPlacement::geometry(panel, icon, pointer, area);
    QCOMPARE(placed, QRect(corner, panel));
    if (area.width() >= panel.width() && area.height() >= panel.height()) {
        QVERIFY(area.contains(placed));
    }
}

}  // namespace nimbrook

QTEST_APPLESS_MAIN(nimbrook::PopupPlacementTest)
#include "PopupPlacementTest.moc"
