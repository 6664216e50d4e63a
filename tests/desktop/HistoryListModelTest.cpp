#include <QAbstractItemModelTester>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <string>
#include <vector>

#include "ControllerHarness.h"
#include "ui/HistoryListModel.h"

namespace nimbrook {

class HistoryListModelTest final : public QObject {
    Q_OBJECT

private slots:
    void rolesFollowTheEntry_data();
    void rolesFollowTheEntry();
    void copiedHighlightRepaintsEveryRowOfTheId();
};

namespace {

// The model over a harness, checked by Qt's tester.
struct Fixture {
    ControllerHarness harness;
    HistoryListModel model{harness.viewModel};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};

    QVariant role(int row, int role) const { return model.data(model.index(row), role); }
};

}  // namespace

void HistoryListModelTest::rolesFollowTheEntry_data() {
    QTest::addColumn<QVariant>("source");
    QTest::newRow("named application") << QVariant(QStringLiteral("Firefox ESR"));
    QTest::newRow("no source application") << QVariant();
    QTest::newRow("empty name is kept as a name") << QVariant(QString());
}

void HistoryListModelTest::rolesFollowTheEntry() {
    QFETCH(QVariant, source);
    Fixture fixture;
    fixture.harness.activeApplication.setFrontmostName(
        source.isValid() ? std::optional(source.toString().toStdString()) : std::nullopt);
    fixture.harness.copy("  {\"a\": 1}\n");

    QCOMPARE(fixture.model.rowCount(), 1);
    const ClipboardItem& entry = fixture.harness.viewModel.items().front();
    QCOMPARE(fixture.role(0, HistoryListModel::IdRole).toString(),
             QString::fromStdString(entry.id().text()));
    QCOMPARE(fixture.role(0, HistoryListModel::ContentTypeRole).toInt(),
             static_cast<int>(ContentType::json));
    QCOMPARE(fixture.role(0, HistoryListModel::PreviewRole).toString(),
             QStringLiteral("{\"a\": 1}"));
    QCOMPARE(fixture.role(0, HistoryListModel::TimestampRole).toDouble(),
             entry.timestamp().secondsSinceReferenceDate);
    const QVariant shownSource = fixture.role(0, HistoryListModel::SourceAppRole);
    QCOMPARE(shownSource.isValid(), source.isValid());
    QCOMPARE(shownSource.toString(), source.toString());
    QCOMPARE(fixture.role(0, HistoryListModel::CopiedRole).toBool(), false);
    // A screen reader hears type, preview, time and application, in Chinese.
    const QString time = fixture.role(0, HistoryListModel::RelativeTimeRole).toString();
    QVERIFY(time.endsWith(u'前'));
    const QString name = source.toString();
    QCOMPARE(fixture.role(0, Qt::AccessibleTextRole).toString(),
             u"JSON，{\"a\": 1}，" + time + (name.isEmpty() ? QString() : u"，" + name));
    QCOMPARE(fixture.model.item(1), nullptr);
}

void HistoryListModelTest::copiedHighlightRepaintsEveryRowOfTheId() {
    // A hand-edited history file may hold one id twice; both rows carry the highlight.
    ControllerHarness harness;
    harness.copy("twin");
    harness.copy("other");
    const std::vector<ClipboardItem>& items = harness.viewModel.items();
    harness.storage.save({items.at(1), items.at(0), items.at(1)});
    ClipboardViewModel reloaded{{{harness.pasteboard, harness.activeApplication, harness.imageStore,
                                  harness.scheduler, harness.clock, harness.workQueue},
                                 harness.storage}};
    HistoryListModel model{reloaded};
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const auto notifiedRows = [&changed] {
        QSet<int> rows;
        for (const QList<QVariant>& signal : changed) {
            rows << signal.at(0).value<QModelIndex>().row();
        }
        changed.clear();
        return rows;
    };

    reloaded.copyToPasteboard(reloaded.items().front());
    QCOMPARE(notifiedRows(), (QSet<int>{0, 2}));
    QVERIFY(model.data(model.index(2), HistoryListModel::CopiedRole).toBool());

    harness.clock.advance(std::chrono::milliseconds(800));
    QCOMPARE(notifiedRows(), (QSet<int>{0, 2}));
    QVERIFY(!model.data(model.index(2), HistoryListModel::CopiedRole).toBool());
}

}  // namespace nimbrook

QTEST_GUILESS_MAIN(nimbrook::HistoryListModelTest)
#include "HistoryListModelTest.moc"
