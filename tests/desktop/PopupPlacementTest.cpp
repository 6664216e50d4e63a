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
const QRect noGeometry;

}  // namespace

void PopupPlacementTest::staysInsideTheAvailableArea_data() {
    QTest::addColumn<QRect>("icon");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("expected");

    const QRect topBar(0, 28, 1920, 1052);  // a 28-pixel bar along the top
    const QRect bottomPanel(0, 0, 1920, 1036);
    const QRect leftPanel(48, 0, 1872, 1080);
    const QRect rightPanel(0, 0, 1872, 1080);
    const QRect secondScreen(1920, 28, 1280, 996);

    QTest::newRow("top bar, icon at the right end")
        << QRect(1890, 2, 24, 24) << QPoint() << topBar << QRect(1520, 28, 400, 520);
    QTest::newRow("top bar, icon in the middle")
        << QRect(948, 2, 24, 24) << QPoint() << topBar << QRect(759, 28, 400, 520);
    QTest::newRow("bottom panel, icon at the right end")
        << QRect(1880, 1044, 32, 32) << QPoint() << bottomPanel << QRect(1520, 516, 400, 520);
    QTest::newRow("left panel, icon at the top")
        << QRect(8, 10, 32, 32) << QPoint() << leftPanel << QRect(48, 42, 400, 520);
    QTest::newRow("right panel, icon at the bottom")
        << QRect(1880, 1040, 32, 32) << QPoint() << rightPanel << QRect(1472, 520, 400, 520);
    QTest::newRow("no geometry: the pointer on a top bar")
        << noGeometry << QPoint(1900, 14) << topBar << QRect(1520, 28, 400, 520);
    QTest::newRow("zero-sized geometry counts as none")
        << QRect(1900, 10, 0, 0) << QPoint(500, 14) << topBar << QRect(300, 28, 400, 520);
    QTest::newRow("second screen to the right")
        << QRect(3170, 2, 24, 24) << QPoint() << secondScreen << QRect(2800, 28, 400, 520);
    QTest::newRow("area lower than the panel: pinned to its top")
        << QRect(100, 2, 24, 24) << QPoint() << QRect(0, 28, 1024, 400) << QRect(0, 28, 400, 520);
    QTest::newRow("area narrower than the panel: pinned to its left")
        << QRect(100, 2, 24, 24) << QPoint() << QRect(10, 28, 300, 1000) << QRect(10, 28, 400, 520);
    QTest::newRow("neither side has room: the roomier side")
        << QRect(100, 400, 24, 24) << QPoint() << QRect(0, 0, 1024, 700) << QRect(0, 0, 400, 520);
}

void PopupPlacementTest::staysInsideTheAvailableArea() {
    QFETCH(QRect, icon);
    QFETCH(QPoint, pointer);
    QFETCH(QRect, area);
    QFETCH(QRect, expected);

    const QRect placed = PopupPlacement::geometry(panel, icon, pointer, area);
    QCOMPARE(placed, expected);
    if (area.width() >= panel.width() && area.height() >= panel.height()) {
        QVERIFY(area.contains(placed));
    }
}

}  // namespace nimbrook

QTEST_APPLESS_MAIN(nimbrook::PopupPlacementTest)
#include "PopupPlacementTest.moc"
