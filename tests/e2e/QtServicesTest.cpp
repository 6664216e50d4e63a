#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

#include "platform/qt/QtPasteboard.h"
#include "platform/qt/QtScheduler.h"

namespace nimbrook {

using Flavours = QList<QPair<QByteArray, QByteArray>>;

// The Qt clipboard and timers on the offscreen platform, where the clipboard is in-process.
class QtServicesTest final : public QObject {
    Q_OBJECT

private slots:
    void readsOffers_data();
    void readsOffers();
    void countsChangesAndWritesPlainTextOnly();
    void cancelledTasksNeverRun();
    void repeatsUntilCancelled();
    void taskMayDestroyItsOwnHandle();
};

void QtServicesTest::readsOffers_data() {
    QTest::addColumn<Flavours>("flavours");
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<QByteArray>("tiff");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("secret");

    const QByteArray binary("\x89PNG\0\xff\x01", 7);
    QTest::newRow("html alone is no text") << Flavours{{"text/html", "<b>x</b>"}} << QByteArray()
                                           << QByteArray() << QByteArray() << false;
    QTest::newRow("image bytes unchanged") << Flavours{{"image/png", binary}, {"image/tiff", "II*"}}
                                           << binary << QByteArray("II*") << QByteArray() << false;
    QTest::newRow("password manager")
        << Flavours{{"text/plain", "pw"}, {"x-kde-passwordManagerHint", "secret"}} << QByteArray()
        << QByteArray() << QByteArray("pw") << true;
    QTest::newRow("other hint is no secret")
        << Flavours{{"text/plain", "pw"}, {"x-kde-passwordManagerHint", "public"}} << QByteArray()
        << QByteArray() << QByteArray("pw") << false;
}

void QtServicesTest::readsOffers() {
    QFETCH(Flavours, flavours);
    QFETCH(QByteArray, png);
    QFETCH(QByteArray, tiff);
    QFETCH(QByteArray, text);
    QFETCH(bool, secret);
    auto* mimeData = new QMimeData;
    for (const auto& [type, bytes] : flavours) {
        mimeData->setData(QString::fromLatin1(type), bytes);
    }
    QGuiApplication::clipboard()->setMimeData(mimeData);
    const QtPasteboard pasteboard(*QGuiApplication::clipboard());
    const auto bytes = [](const std::optional<std::string>& value) {
        return value ? QByteArray::fromStdString(*value) : QByteArray();
    };
    QCOMPARE(bytes(pasteboard.pngData()), png);
    QCOMPARE(bytes(pasteboard.tiffData()), tiff);
    QCOMPARE(bytes(pasteboard.string()), text);
    QCOMPARE(pasteboard.isSecret(), secret);
}

void QtServicesTest::countsChangesAndWritesPlainTextOnly() {
    QClipboard& clipboard = *QGuiApplication::clipboard();
    QtPasteboard pasteboard(clipboard);
    const auto before = pasteboard.changeCount();
    clipboard.setText(QStringLiteral("selection"), QClipboard::Selection);
    QCOMPARE(pasteboard.changeCount(), before);
    pasteboard.clearAndSetString("same");
    pasteboard.clearAndSetString("same");
    QCOMPARE(pasteboard.changeCount(), before + 2);
    QCOMPARE(clipboard.mimeData()->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(pasteboard.string(), std::optional<std::string>("same"));
}

// Cancelled twice, or its handle destroyed: the task never runs.
void QtServicesTest::cancelledTasksNeverRun() {
    QtScheduler scheduler;
    int cancelledRuns = 0;
    bool witnessRan = false;
    auto cancelled = scheduler.after(std::chrono::milliseconds(1), [&] { ++cancelledRuns; });
    auto destroyed = scheduler.after(std::chrono::milliseconds(1), [&] { ++cancelledRuns; });
    auto witness = scheduler.after(std::chrono::milliseconds(30), [&] { witnessRan = true; });
    cancelled->cancel();
    cancelled->cancel();
    destroyed.reset();
    QTRY_VERIFY(witnessRan);
    QCOMPARE(cancelledRuns, 0);
}

void QtServicesTest::repeatsUntilCancelled() {
    QtScheduler scheduler;
    int runs = 0;
    auto timer = scheduler.repeat(std::chrono::milliseconds(5), [&] { ++runs; });
    QTRY_VERIFY(runs >= 3);
    timer->cancel();
    const int atCancel = runs;
    bool witnessRan = false;
    auto witness = scheduler.after(std::chrono::milliseconds(30), [&] { witnessRan = true; });
    QTRY_VERIFY(witnessRan);
    QCOMPARE(runs, atCancel);
}

void QtServicesTest::taskMayDestroyItsOwnHandle() {
    QtScheduler scheduler;
    std::unique_ptr<TaskHandle> handle;
    int runs = 0;
    handle = scheduler.repeat(std::chrono::milliseconds(1), [&] {
        ++runs;
        handle.reset();
    });
    QTRY_VERIFY(!handle);
    QTest::qWait(20);
    QCOMPARE(runs, 1);
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::QtServicesTest)
#include "QtServicesTest.moc"
