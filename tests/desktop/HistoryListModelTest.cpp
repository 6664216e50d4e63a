#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <string>

#include "ControllerHarness.h"
#include "model/HistoryLimit.h"
#include "ui/HistoryListModel.h"

namespace nimbrook {

class HistoryListModelTest final : public QObject {
    Q_OBJECT

private slots:
    void rolesFollowTheEntry_data();
    void rolesFollowTheEntry();
    void captureInsertsOneRowAtTheTop();
    void captureIntoAFullHistoryDropsTheLastRow();
    void deleteRemovesOnlyItsRow();
    void searchFiltersAndEveryChangeWhileSearchingResets_data();
    void searchFiltersAndEveryChangeWhileSearchingResets();
    void conversionReplacesTheRowInPlace();
    void copiedRoleFollowsTheFlash();
    void clearAllEmptiesTheModel();
};

namespace {

using std::chrono::milliseconds;

QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant roleAt(const HistoryListModel& model, int row, int role) {
    return model.data(model.index(row), role);
}

}  // namespace

void HistoryListModelTest::rolesFollowTheEntry_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("source");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("preview");

    QTest::newRow("json from a named application")
        << QStringLiteral("{\"a\": 1}") << QVariant(QStringLiteral("Firefox ESR"))
        << static_cast<int>(ContentType::json) << QStringLiteral("{\"a\": 1}");
    QTest::newRow("text without a source application")
        << QStringLiteral("  hello\n") << QVariant() << static_cast<int>(ContentType::plainText)
        << QStringLiteral("hello");
    QTest::newRow("empty source name is kept as a name")
        << QStringLiteral("https://example.com/a") << QVariant(QString())
        << static_cast<int>(ContentType::url) << QStringLiteral("https://example.com/a");
    QTest::newRow("long text is cut at 120 characters")
        << QString(130, u'x') << QVariant() << static_cast<int>(ContentType::plainText)
        << QString(120, u'x') + QChar(0x2026);
}

void HistoryListModelTest::rolesFollowTheEntry() {
    QFETCH(QString, text);
    QFETCH(QVariant, source);
    QFETCH(int, type);
    QFETCH(QString, preview);

    ControllerHarness harness;
    HistoryListModel model(harness.viewModel);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    harness.activeApplication.setFrontmostName(
        source.isValid() ? std::optional(source.toString().toStdString()) : std::nullopt);
    harness.copy(text.toStdString());

    QCOMPARE(model.rowCount(), 1);
    const ClipboardItem& entry = harness.viewModel.items().front();
    QCOMPARE(roleAt(model, 0, HistoryListModel::IdRole).toString(), qs(entry.id().text()));
    QCOMPARE(roleAt(model, 0, HistoryListModel::ContentTypeRole).toInt(), type);
    QCOMPARE(roleAt(model, 0, HistoryListModel::PreviewRole).toString(), preview);
    QCOMPARE(roleAt(model, 0, HistoryListModel::TimestampRole).toDouble(),
             entry.timestamp().secondsSinceReferenceDate);
    const QVariant shownSource = roleAt(model, 0, HistoryListModel::SourceAppRole);
    QCOMPARE(shownSource.isValid(), source.isValid());
    QCOMPARE(shownSource.toString(), source.toString());
    QCOMPARE(roleAt(model, 0, HistoryListModel::CopiedRole).toBool(), false);
    QCOMPARE(model.item(1), nullptr);
    QCOMPARE(model.item(-1), nullptr);
}

void HistoryListModelTest::captureInsertsOneRowAtTheTop() {
    ControllerHarness harness;
    harness.copy("first");
    HistoryListModel model(harness.viewModel);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    harness.copy("second");

    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.front().at(1).toInt(), 0);
    QCOMPARE(inserted.front().at(2).toInt(), 0);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(roleAt(model, 0, HistoryListModel::PreviewRole).toString(), QStringLiteral("second"));
}

void HistoryListModelTest::captureIntoAFullHistoryDropsTheLastRow() {
    ControllerHarness harness;
    for (std::size_t index = 0; index < historyLimit; ++index) {
        harness.copy("entry " + std::to_string(index));
    }
    HistoryListModel model(harness.viewModel);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    harness.copy("newest");

    QCOMPARE(model.rowCount(), static_cast<int>(historyLimit));
    QCOMPARE(reset.size(), 0);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.front().at(1).toInt(), static_cast<int>(historyLimit));
    QCOMPARE(roleAt(model, 0, HistoryListModel::PreviewRole).toString(), QStringLiteral("newest"));
    QCOMPARE(
        roleAt(model, static_cast<int>(historyLimit) - 1, HistoryListModel::PreviewRole).toString(),
        QStringLiteral("entry 1"));
}

void HistoryListModelTest::deleteRemovesOnlyItsRow() {
    ControllerHarness harness;
    for (const char* text : {"a", "b", "c"}) {
        harness.copy(text);
    }
    HistoryListModel model(harness.viewModel);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    harness.viewModel.deleteItem(*model.item(1));

    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.front().at(1).toInt(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(roleAt(model, 0, HistoryListModel::PreviewRole).toString(), QStringLiteral("c"));
    QCOMPARE(roleAt(model, 1, HistoryListModel::PreviewRole).toString(), QStringLiteral("a"));
}

void HistoryListModelTest::searchFiltersAndEveryChangeWhileSearchingResets_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("type label") << QStringLiteral("json")
                                << QStringList{QStringLiteral("{\"k\": [2]}"),
                                               QStringLiteral("{\"k\": [1]}")};
    QTest::newRow("content in another case")
        << QStringLiteral("HELLO") << QStringList{QStringLiteral("hello world")};
    QTest::newRow("no match") << QStringLiteral("zzz") << QStringList{};
}

void HistoryListModelTest::searchFiltersAndEveryChangeWhileSearchingResets() {
    QFETCH(QString, query);
    QFETCH(QStringList, expected);

    ControllerHarness harness;
    for (const char* text : {"{\"k\": [1]}", "hello world", "plain"}) {
        harness.copy(text);
    }
    HistoryListModel model(harness.viewModel);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    harness.viewModel.setSearchText(query.toStdString());
    harness.copy("{\"k\": [2]}");
    QCOMPARE(reset.size(), 2);

    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row) {
        shown << roleAt(model, row, HistoryListModel::PreviewRole).toString();
    }
    QCOMPARE(shown, expected);

    harness.viewModel.setSearchText({});
    QCOMPARE(model.rowCount(), 4);
}

void HistoryListModelTest::conversionReplacesTheRowInPlace() {
    ControllerHarness harness;
    harness.copy("{\"b\":1,\"a\":2}");
    harness.copy("after");
    HistoryListModel model(harness.viewModel);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    const QString oldId = roleAt(model, 1, HistoryListModel::IdRole).toString();

    harness.viewModel.copyConverted(*model.item(1), SmartConverter::Conversion::prettifyJSON);

    QCOMPARE(reset.size(), 0);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.front().at(0).value<QModelIndex>().row(), 1);
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(roleAt(model, 1, HistoryListModel::IdRole).toString() != oldId);
    QVERIFY(roleAt(model, 1, HistoryListModel::PreviewRole).toString().contains(u'\n'));
}

void HistoryListModelTest::copiedRoleFollowsTheFlash() {
    ControllerHarness harness;
    for (const char* text : {"a", "b", "c"}) {
        harness.copy(text);
    }
    HistoryListModel model(harness.viewModel);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const auto copiedRows = [&model] {
        QList<int> rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (roleAt(model, row, HistoryListModel::CopiedRole).toBool()) {
                rows << row;
            }
        }
        return rows;
    };
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    harness.viewModel.copyToPasteboard(*model.item(2));
    QCOMPARE(copiedRows(), QList<int>{2});
    QCOMPARE(changed.size(), 1);

    harness.viewModel.copyToPasteboard(*model.item(0));
    QCOMPARE(copiedRows(), QList<int>{0});
    QCOMPARE(changed.size(), 3);

    harness.clock.advance(milliseconds(800));
    QCOMPARE(copiedRows(), QList<int>{});
}

void HistoryListModelTest::clearAllEmptiesTheModel() {
    ControllerHarness harness;
    harness.copy("a");
    harness.copy("b");
    HistoryListModel model(harness.viewModel);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    harness.viewModel.clearAll();

    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.item(0), nullptr);
}

}  // namespace nimbrook

QTEST_GUILESS_MAIN(nimbrook::HistoryListModelTest)
#include "HistoryListModelTest.moc"
