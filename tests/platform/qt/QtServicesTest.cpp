#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/qt/QtScheduler.h"
#include "platform/qt/ThreadWorkQueue.h"

namespace nimbrook {

// The Qt timers and the worker thread on the offscreen platform.
class QtServicesTest final : public QObject {
    Q_OBJECT

private slots:
    void runsOnlyTasksNeitherCancelledNorDestroyed();
    void workQueueRunsOffThisThreadAndCompletesInOrderOnIt();
    void workQueueDrainAndDestructionLoseNoJob();
};

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
