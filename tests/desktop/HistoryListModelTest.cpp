#include <QAbstractItemModelTester>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <initializer_list>
#include <string>
#include <vector>

#include "ControllerHarness.h"
#include "model/HistoryLimit.h"
#include "ui/HistoryListModel.h"

namespace nimbrook {

class HistoryListModelTest final : public QObject {
    Q_OBJECT

private slots:
    void rolesFollowTheEntry_data();
    void rolesFollowTheEntry();
    void captureInsertsAtTheTopAndDropsPastTheLimit_data();
    void captureInsertsAtTheTopAndDropsPastTheLimit();
    void deleteAndConversionChangeOnlyTheirRow();
    void everyChangeWhileSearchingResets();
    void copiedHighlightRepaintsEveryRowOfTheId();
    void largeConversionMarksItsRowBusyUntilItsResultLands();
};

namespace {

// The model over a harness holding `texts`, copied oldest first, checked by Qt's tester.
struct Fixture {
    ControllerHarness harness;
    HistoryListModel model{harness.viewModel};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};

    explicit Fixture(std::initializer_list<const char*> texts = {}) {
        for (const char* text : texts) {
            harness.copy(text);
        }
    }
    QVariant role(int row, int role) const { return model.data(model.index(row), role); }
    QStringList rowsWith(int role) const {
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row) {
            shown << this->role(row, role).toString();
        }
        return shown;
    }
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

void HistoryListModelTest::captureInsertsAtTheTopAndDropsPastTheLimit_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<QList<int>>("removedRows");
    const int limit = static_cast<int>(historyLimit);
    QTest::newRow("room left") << 1 << QList<int>{};
    QTest::newRow("full history") << limit << QList<int>{limit};
}

void HistoryListModelTest::captureInsertsAtTheTopAndDropsPastTheLimit() {
    QFETCH(int, before);
    QFETCH(QList<int>, removedRows);
    Fixture fixture;
    for (int index = 0; index < before; ++index) {
        fixture.harness.copy("entry " + std::to_string(index));
    }
    QSignalSpy inserted(&fixture.model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&fixture.model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&fixture.model, &QAbstractItemModel::modelReset);

    fixture.harness.copy("newest");

    QCOMPARE(reset.size(), 0);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.front().at(1).toInt(), 0);
    QCOMPARE(inserted.front().at(2).toInt(), 0);
    QList<int> removedFirstRows;
    for (const QList<QVariant>& signal : removed) {
        removedFirstRows << signal.at(1).toInt();
    }
    QCOMPARE(removedFirstRows, removedRows);
    const QStringList shown = fixture.rowsWith(HistoryListModel::PreviewRole);
    QCOMPARE(shown.size(), std::min(before + 1, static_cast<int>(historyLimit)));
    QCOMPARE(shown.front(), QStringLiteral("newest"));
    QCOMPARE(shown.back(), QStringLiteral("entry %1").arg(before + 1 - shown.size()));
}

void HistoryListModelTest::deleteAndConversionChangeOnlyTheirRow() {
    Fixture fixture{"a", "{\"b\":1,\"a\":2}", "b", "c"};
    QSignalSpy removed(&fixture.model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&fixture.model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&fixture.model, &QAbstractItemModel::modelReset);

    fixture.harness.viewModel.deleteItem(*fixture.model.item(1));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.front().at(1).toInt(), 1);
    const QStringList ids = fixture.rowsWith(HistoryListModel::IdRole);

    // A conversion replaces the entry where it stands, under a new id.
    fixture.harness.viewModel.copyConverted(*fixture.model.item(1),
                                            SmartConverter::Conversion::prettifyJSON);
    QCOMPARE(reset.size(), 0);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.front().at(0).value<QModelIndex>().row(), 1);
    const QStringList after = fixture.rowsWith(HistoryListModel::IdRole);
    QCOMPARE(after.size(), 3);
    QCOMPARE(after.front(), ids.front());
    QCOMPARE(after.back(), ids.back());
    QVERIFY(after.at(1) != ids.at(1));
    QVERIFY(fixture.role(1, HistoryListModel::PreviewRole).toString().contains(u'\n'));

    fixture.harness.viewModel.clearAll();
    QCOMPARE(fixture.model.rowCount(), 0);
    QCOMPARE(fixture.model.item(0), nullptr);
}

void HistoryListModelTest::everyChangeWhileSearchingResets() {
    Fixture fixture{"{\"k\": [1]}", "hello world", "plain"};
    QSignalSpy reset(&fixture.model, &QAbstractItemModel::modelReset);

    // The query matches the type label, not the text.
    fixture.harness.viewModel.setSearchText("JSON");
    fixture.harness.copy("{\"k\": [2]}");
    QCOMPARE(reset.size(), 2);
    QCOMPARE(fixture.rowsWith(HistoryListModel::PreviewRole),
             (QStringList{QStringLiteral("{\"k\": [2]}"), QStringLiteral("{\"k\": [1]}")}));

    fixture.harness.viewModel.setSearchText({});
    QCOMPARE(fixture.model.rowCount(), 4);
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

void HistoryListModelTest::largeConversionMarksItsRowBusyUntilItsResultLands() {
    Fixture fixture{"short"};
    fixture.harness.copy("[" + std::string(20000, ' ') + "1]");
    QSignalSpy changed(&fixture.model, &QAbstractItemModel::dataChanged);
    fixture.harness.workQueue.hold();
    fixture.harness.viewModel.copyConverted(fixture.harness.viewModel.items().front(),
                                            SmartConverter::Conversion::minifyJSON);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.front().at(0).value<QModelIndex>().row(), 0);
    QVERIFY(fixture.role(0, HistoryListModel::BusyRole).toBool());
    QVERIFY(!fixture.role(1, HistoryListModel::BusyRole).toBool());

    fixture.harness.workQueue.release();
    QCOMPARE(fixture.role(0, HistoryListModel::PreviewRole).toString(), QStringLiteral("[1]"));
    QVERIFY(!fixture.role(0, HistoryListModel::BusyRole).toBool());
}

}  // namespace nimbrook

QTEST_GUILESS_MAIN(nimbrook::HistoryListModelTest)
#include "HistoryListModelTest.moc"
