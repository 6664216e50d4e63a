#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <optional>
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

void HistoryListModelTest::rolesFollowTheEntry_data() {
    QTest::addColumn<std::optional<QString>>("source");
    QTest::newRow("named application") << std::optional(QStringLiteral("Firefox ESR"));
    QTest::newRow("no application") << std::optional<QString>();
    QTest::newRow("empty name") << std::optional(QString());
}

void HistoryListModelTest::rolesFollowTheEntry() {
    QFETCH(std::optional<QString>, source);
    ControllerHarness harness;
    HistoryListModel model{harness.viewModel};
    const auto role = [&model](int role) { return model.data(model.index(0), role); };
    harness.activeApplication.setFrontmostName(source ? std::optional(source->toStdString())
                                                      : std::nullopt);
    harness.copy("  {\"a\": 1}\n");

    // No source application is no value at all; an empty name is kept as a name.
    const QVariant shownSource = role(HistoryListModel::SourceAppRole);
    QCOMPARE(shownSource.isValid(), source.has_value());
    QCOMPARE(shownSource.toString(), source.value_or(QString()));
    // A screen reader hears type, preview, time and application, in Chinese.
    const QString time = role(HistoryListModel::RelativeTimeRole).toString();
    QVERIFY(time.endsWith(u'前'));
    const QString name = source.value_or(QString());
    QCOMPARE(role(Qt::AccessibleTextRole).toString(),
             u"JSON，{\"a\": 1}，" + time + (name.isEmpty() ? QString() : u"，" + name));
    QCOMPARE(model.item(1), nullptr);
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
                                 harness.storage,
                                 harness.journal}};
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
    QVERIFY(!(model.data(model.index(2), HistoryListModel::CopiedRole).toBool()));
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::HistoryListModelTest)
#include "HistoryListModelTest.moc"
