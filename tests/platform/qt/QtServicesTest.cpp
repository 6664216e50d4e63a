#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "platform/qt/ChangeGatedScheduler.h"
#include "platform/qt/QtImageTranscoder.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/ThreadWorkQueue.h"

namespace nimbrook {

// The Qt timers and the worker thread on the offscreen platform.
class QtServicesTest final : public QObject {
    Q_OBJECT

private slots:
    void runsOnlyTasksNeitherCancelledNorDestroyed();
    void gatedTicksFallOnTheGrid_data();
    void gatedTicksFallOnTheGrid();
    void gatedTaskRunsOnceForEachNotedChange();
    void workQueueRunsOffThisThreadAndCompletesInOrderOnIt();
    void workQueueDrainAndDestructionLoseNoJob();
    void tiffBecomesTheSamePictureAsPng_data();
    void tiffBecomesTheSamePictureAsPng();
};

namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, format);
    return bytes;
}

// A little-endian TIFF whose header claims width x height 8-bit grey pixels that are not there.
QByteArray claimedTiff(quint32 width, quint32 height) {
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    const auto put = [&bytes](quint32 value, int size) {
        for (int i = 0; i < size; ++i) {
            bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    const quint32 entries[][3] = {
        {256, 4, width}, {257, 4, height}, {258, 3, 8},      {259, 3, 1},
        {262, 3, 1},     {273, 4, 200},    {278, 4, height}, {279, 4, width * height}};
    put(std::size(entries), 2);
    for (const auto& [tag, type, value] : entries) {
        put(tag, 2);
        put(type, 2);
        put(1, 4);
        put(value, 4);
    }
    put(0, 4);
    return bytes;
}

}  // namespace

void QtServicesTest::tiffBecomesTheSamePictureAsPng_data() {
    QTest::addColumn<QByteArray>("tiff");
    QTest::addColumn<bool>("converts");
    QImage picture(3, 2, QImage::Format_ARGB32);
    picture.fill(QColor(200, 30, 90, 128));
    picture.setPixelColor(2, 1, Qt::green);
    QTest::newRow("translucent picture") << encoded(picture, "tiff") << true;
    QTest::newRow("not a tiff") << QByteArray("II*\0 garbage", 12) << false;
    // Decoded, it would take 1.6 GB.
    QTest::newRow("decompression bomb") << claimedTiff(20000, 20000) << false;
}

void QtServicesTest::tiffBecomesTheSamePictureAsPng() {
    QFETCH(QByteArray, tiff);
    QFETCH(bool, converts);
    const auto png = QtImageTranscoder().pngFromTiff(std::string_view(tiff.data(), tiff.size()));
    QCOMPARE(png.has_value(), converts);
    if (png) {
        const QImage original = QImage::fromData(tiff, "tiff");
        const QImage converted = QImage::fromData(QByteArray::fromStdString(*png), "png");
        QCOMPARE(converted.convertToFormat(QImage::Format_ARGB32),
                 original.convertToFormat(QImage::Format_ARGB32));
    }
}

// Cancelled twice, or its handle destroyed (by the task itself too): a task runs no more.
void QtServicesTest::runsOnlyTasksNeitherCancelledNorDestroyed() {
    QtScheduler scheduler;
    int cancelledRuns = 0;
    int repeats = 0;
    int selfDestroyingRuns = 0;
    auto cancelled = scheduler.after(std::chrono::milliseconds(1), [&] { ++cancelledRuns; });
    auto destroyed = scheduler.after(std::chrono::milliseconds(1), [&] { ++cancelledRuns; });
    auto repeating = scheduler.repeat(std::chrono::milliseconds(5), [&] { ++repeats; });
    std::unique_ptr<TaskHandle> selfDestroying;
    selfDestroying = scheduler.repeat(std::chrono::milliseconds(1), [&] {
        ++selfDestroyingRuns;
        selfDestroying.reset();
    });
    cancelled->cancel();
    cancelled->cancel();
    destroyed.reset();
    QTRY_VERIFY(repeats >= 3 && !selfDestroying);
    repeating->cancel();
    const int atCancel = repeats;
    bool witnessRan = false;
    auto witness = scheduler.after(std::chrono::milliseconds(30), [&] { witnessRan = true; });
    QTRY_VERIFY(witnessRan);
    QCOMPARE(cancelledRuns, 0);
    QCOMPARE(repeats, atCancel);
    QCOMPARE(selfDestroyingRuns, 1);
}

void QtServicesTest::gatedTicksFallOnTheGrid_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("now");
    QTest::addColumn<int>("next");
    QTest::newRow("at the start") << 500 << 0 << 500;
    QTest::newRow("within the first interval") << 500 << 499 << 500;
    QTest::newRow("on a tick, the one after") << 500 << 1000 << 1500;
    QTest::newRow("many intervals on") << 500 << 123'456 << 123'500;
    QTest::newRow("a clock behind the start") << 500 << -20 << 500;
    QTest::newRow("no interval") << 0 << 7 << 8;
}

void QtServicesTest::gatedTicksFallOnTheGrid() {
    QFETCH(int, interval);
    QFETCH(int, now);
    QFETCH(int, next);
    using std::chrono::milliseconds;
    const auto origin = ChangeGatedScheduler::Clock::time_point() + std::chrono::hours(1);
    QCOMPARE(
        ChangeGatedScheduler::nextTick(origin, milliseconds(interval), origin + milliseconds(now)) -
            origin,
        milliseconds(next));
}

// A tick runs only after a change, once for a burst of them (noted from any thread, the task
// itself included); a cancelled task runs no more, and one-shots are not gated.
void QtServicesTest::gatedTaskRunsOnceForEachNotedChange() {
    ChangeGatedScheduler scheduler;
    int runs = 0;
    bool noteInTask = false;
    auto task = scheduler.repeat(std::chrono::milliseconds(10), [&] {
        ++runs;
        if (std::exchange(noteInTask, false)) {
            scheduler.noteChange();
        }
    });
    const auto quietFor = [&](int milliseconds) {
        bool witnessRan = false;
        auto witness =
            scheduler.after(std::chrono::milliseconds(milliseconds), [&] { witnessRan = true; });
        QTRY_VERIFY(witnessRan);
    };
    quietFor(60);
    QCOMPARE(runs, 0);
    std::thread([&scheduler] {
        for (int change = 0; change < 5; ++change) {
            scheduler.noteChange();
        }
    }).join();
    QTRY_COMPARE(runs, 1);
    quietFor(60);
    QCOMPARE(runs, 1);
    noteInTask = true;
    scheduler.noteChange();
    QTRY_COMPARE(runs, 3);
    quietFor(60);
    QCOMPARE(runs, 3);
    task->cancel();
    scheduler.noteChange();
    quietFor(60);
    QCOMPARE(runs, 3);
}

void QtServicesTest::workQueueRunsOffThisThreadAndCompletesInOrderOnIt() {
    ThreadWorkQueue queue;
    std::atomic<int> jobsOnThisThread = 0;
    std::vector<int> completed;
    bool completedElsewhere = false;
    QThread* const self = QThread::currentThread();
    for (int job = 0; job < 50; ++job) {
        queue.post([&] { jobsOnThisThread += QThread::currentThread() == self ? 1 : 0; },
                   [&, job] {
                       completedElsewhere |= QThread::currentThread() != self;
                       completed.push_back(job);
                   });
    }
    QTRY_COMPARE(completed.size(), std::size_t{50});
    QVERIFY(std::is_sorted(completed.begin(), completed.end()));
    QCOMPARE(jobsOnThisThread.load(), 0);
    QVERIFY(!completedElsewhere);
}

// drain returns with every job run and every completion delivered, without the event loop;
// a queue destroyed with jobs still queued runs them and drops their completions.
void QtServicesTest::workQueueDrainAndDestructionLoseNoJob() {
    std::atomic<int> jobs = 0;
    int completions = 0;
    {
        ThreadWorkQueue queue;
        for (int job = 0; job < 20; ++job) {
            queue.post([&] { ++jobs; }, [&] { ++completions; });
        }
        queue.drain();
        QCOMPARE(jobs.load(), 20);
        QCOMPARE(completions, 20);
        for (int job = 0; job < 20; ++job) {
            queue.post([&] { ++jobs; }, [&] { ++completions; });
        }
    }
    QCOMPARE(jobs.load(), 40);
    QCoreApplication::processEvents();
    QCOMPARE(completions, 20);
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::QtServicesTest)
#include "QtServicesTest.moc"
